// How many agents a scene's generators will build, read from their grid counts before the
// first frame: the command refuses a crew that cannot fit in the memory limit at once,
// instead of letting the plug-in work through every grid cell after its memory ran out.
#pragma once

#include "scenefile/SceneBuilder.h"

#include <cstdint>

namespace vantri {

/// The bytes of one agent's record in the plug-in; a crew needs at least this per agent.
constexpr uint64_t kAgentRecordBytes = 704;

struct CrewSize {
    const SceneObject* generator;
    uint64_t agents; ///< COUNT_X x COUNT_Y x COUNT_Z, 0 without a source object
};

/// The crew of every generator in `built`, in file order.
std::vector<CrewSize> crew_sizes(const std::vector<BuiltObject>& built);

} // namespace vantri
