#include "results/AgentRecords.h"

#include "plugin/ObjectTypes.h"

#include <cstring>

namespace vantri {

std::vector<VtAgentRecord> read_agent_records(SceneObject& generator, bool* answered) {
    std::vector<VtAgentRecord> records;
    if (answered != nullptr) *answered = false;
    const ObjectType* type = generator.object_type();
    if (type == nullptr) return records;
    VtCrowdEntry entry;
    std::memset(&entry, 0, sizeof entry);
    VtPrivateData request{0, &entry};
    type->callbacks->message(generator.instance(), generator.handle(),
                             VT_OBJECT_MESSAGE_PRIVATE_DATA, &request);
    if (answered != nullptr) *answered = request.answered != 0;
    if (request.answered == 0 || entry.agents == nullptr) return records;
    const VtRecordArray& array = *entry.agents;
    if (array.count <= 0 || array.block == nullptr) return records;
    const VtAgentRecord* first = array.block + array.front;
    records.assign(first, first + array.count);
    return records;
}

} // namespace vantri
