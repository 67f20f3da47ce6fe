// The geometry a scene file gives its host objects: a spline's points or segments, a
// plane's size, segments and heights, a sphere's radius, a polygon object's points and faces.
#pragma once

#include "host/scene/SceneObject.h"
#include "scenefile/SceneFile.h"

namespace vantri {

/// Builds the geometry of a spline, plane, sphere or polygon object from the entry's
/// geometry keys; a scene_error at the key that is wrong, or that the type does not have.
Status build_geometry(SceneObject& object, const SceneObjectEntry& entry);

/// A mesh that a sphere or plane of the file will build, counted from its segments.
struct MeshCount {
    const SceneObjectEntry* entry;
    uint64_t points = 0;
    uint64_t faces = 0;
};

/// The meshes of the file's spheres and planes, in file order, read from their "segments"
/// before anything is built (segments that are not whole numbers count as the default: the
/// build refuses them). A run that cannot hold them is refused before it builds them.
std::vector<MeshCount> mesh_counts(const SceneFile& scene);

} // namespace vantri
