#include "results/AgentRecords.h"

#include "host/plugin/ObjectTypes.h"

#include <cstring>

namespace vantri {

AgentRecordView view_agent_records(SceneObject& generator, bool* answered) {
    AgentRecordView view;
    if (answered != nullptr) *answered = false;
    const ObjectType* type = generator.object_type();
    if (type == nullptr) return view;
    VtCrowdEntry entry;
    std::memset(&entry, 0, sizeof entry);
    VtPrivateData request{0, &entry};
    type->callbacks->message(generator.instance(), generator.handle(),
                             VT_OBJECT_MESSAGE_PRIVATE_DATA, &request);
    if (answered != nullptr) *answered = request.answered != 0;
    if (request.answered == 0 || entry.agents == nullptr) return view;
    const VtRecordArray& array = *entry.agents;
    if (array.count <= 0 || array.block == nullptr) return view;
    view.records = array.block + array.front;
    view.count = static_cast<size_t>(array.count);
    return view;
}

std::vector<VtAgentRecord> read_agent_records(SceneObject& generator, bool* answered) {
    const AgentRecordView view = view_agent_records(generator, answered);
    return std::vector<VtAgentRecord>(view.records, view.records + view.count);
}

} // namespace vantri
