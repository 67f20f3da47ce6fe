// Reading a generator's agent records the way the world reads them: the host sends the
// generator the private-data request with a crowd entry, and the generator writes the
// address of its agent array into it. The records' layout is the boundary's
// (CrowdRecordLayout.h), which the plug-in's own records are checked against when it builds.
#pragma once

#include "scene/SceneObject.h"

#include "CrowdRecordLayout.h"

#include <vector>

namespace vantri {

/// The records of `generator` as it answers the private-data request now, in array order;
/// `answered` tells whether it answered at all.
std::vector<VtAgentRecord> read_agent_records(SceneObject& generator, bool* answered = nullptr);

} // namespace vantri
