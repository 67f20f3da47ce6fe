// The object types a scene file names: the plug-in's types by their description names
// ("ocrowdgenerator") or short aliases ("generator"), and the host's own primitives
// ("null", "cube").
#pragma once

#include "host/plugin/ObjectTypes.h"
#include "host/scene/SceneObject.h"
#include "scenefile/SceneFile.h"

namespace vantri {

/// The registered type that `name` stands for (never null); a scene_error at `path` for a
/// name that is unknown, or that this host cannot make yet.
Result<const ObjectType*> resolve_scene_type(const TypeRegistry& types, const std::string& name,
                                             const std::string& path);

/// Gives a new object the shape the scene file asks for (a cube's size); a scene_error for
/// a shape key that the type does not have.
Status shape_object(SceneObject& object, const SceneObjectEntry& entry);

} // namespace vantri
