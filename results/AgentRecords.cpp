#include "results/AgentRecords.h"

#include "plugin/ObjectTypes.h"

#include <cstring>

namespace vantri {

std::vector<AgentRecordMirror> read_agent_records(SceneObject& generator, bool* answered) {
    std::vector<AgentRecordMirror> records;
    if (answered != nullptr) *answered = false;
    const ObjectType* type = generator.object_type();
    if (type == nullptr) return records;
    CrowdEntryMirror entry;
    std::memset(&entry, 0, sizeof entry);
    VtPrivateData request{0, &entry};
    type->callbacks->message(generator.instance(), generator.handle(), kPrivateDataMessage,
                             &request);
    if (answered != nullptr) *answered = request.answered != 0;
    if (request.answered == 0 || entry.agents == nullptr) return records;
    const RecordArrayMirror& array = *entry.agents;
    if (array.count <= 0 || array.block == nullptr) return records;
    const auto* first = static_cast<const AgentRecordMirror*>(array.block) + array.front;
    records.assign(first, first + array.count);
    return records;
}

} // namespace vantri
