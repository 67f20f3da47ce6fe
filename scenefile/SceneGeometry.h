// The geometry a scene file gives its host objects: a spline's points or segments, a
// plane's size, segments and heights, a sphere's radius, a polygon object's points and faces.
#pragma once

#include "host/scene/SceneObject.h"
#include "scenefile/SceneFile.h"

namespace vantri {

/// Builds the geometry of a spline, plane, sphere or polygon object from the entry's
/// geometry keys; a scene_error at the key that is wrong, or that the type does not have.
Status build_geometry(SceneObject& object, const SceneObjectEntry& entry);

} // namespace vantri
