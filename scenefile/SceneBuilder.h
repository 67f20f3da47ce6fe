// Builds a scene file's objects in a host document. Objects are created in file order,
// each parent before its children, and get their plug-in's Init there; then the file's
// parameters are set, object by object in file order, so that every link and list finds
// its objects whatever their order in the file. Keyframed tracks are attached to the
// document, which applies them at every evaluated frame.
#pragma once

#include "host/Host.h"
#include "host/scene/Document.h"
#include "scenefile/SceneFile.h"

#include <vector>

namespace vantri {

struct BuiltObject {
    SceneObject* object;
    const SceneObjectEntry* entry;
};

/// Builds `scene` into `document`, which should be empty, and sets its frame rate and time
/// range. Returns the objects in file order, or a scene_error (Failed where the plug-in
/// refused); the document then holds part of the scene and should be discarded.
Result<std::vector<BuiltObject>> build_scene(const Host& host, const SceneFile& scene,
                                             Document& document);

} // namespace vantri
