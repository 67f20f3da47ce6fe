// Reading a generator's agent records the way the world reads them: the host sends the
// generator the private-data request with a crowd entry, and the generator writes the
// address of its agent array into it. The records' layout is the boundary's
// (CrowdRecordLayout.h), which the plug-in's own records are checked against when it builds.
#pragma once

#include "host/scene/SceneObject.h"

#include "abi/CrowdRecordLayout.h"

#include <vector>

namespace vantri {

/// A generator's records where the generator keeps them, in array order.
struct AgentRecordView {
    const VtAgentRecord* records = nullptr;
    size_t count = 0;
};

/// The records of `generator` as it answers the private-data request now, in place: valid
/// until the plug-in next changes its array (the next evaluated frame); empty when it does
/// not answer. `answered` tells whether it answered at all.
AgentRecordView view_agent_records(SceneObject& generator, bool* answered = nullptr);

/// A copy of the records of `generator` as it answers the private-data request now, in array
/// order; `answered` tells whether it answered at all.
std::vector<VtAgentRecord> read_agent_records(SceneObject& generator, bool* answered = nullptr);

} // namespace vantri
