// Links that can only work on an object with polygons: the world's terrain, which the agents
// stand on, and a geometry obstacle's object, which they steer around. Both are found by the
// host's ray collider, which only meets polygons; a link to a null, a spline, the world or a
// generator is kept (the file may mean it for later) but does nothing, and the run says so.
#pragma once

#include "scenefile/SceneBuilder.h"

#include <string>
#include <vector>

namespace vantri {

/// One warning per such link to an object without polygons, in file order: the JSON path of
/// the parameter, then what is wrong, naming the object, the link and its target.
std::vector<std::string> geometry_link_warnings(const std::vector<BuiltObject>& built);

} // namespace vantri
