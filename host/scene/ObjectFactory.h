// Making and copying scene objects, plug-in objects included: a plug-in object gets its
// instance from the plug-in (Alloc, then Init), and a copy is Alloc, Init, the parameters,
// then the plug-in's CopyTo.
#pragma once

#include "host/Status.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/SceneObject.h"

#include <string>
#include <utility>
#include <vector>

namespace vantri {

/// Link translation for a copied hierarchy: which original became which copy.
struct AliasMap {
    std::vector<std::pair<uint64_t, uint64_t>> copies; // original serial, copy serial
    bool initialised = false;
    /// Points every link inside the copies that names an original at that original's copy.
    void translate();
};

/// A new object of `type` (never null), or the reason it could not be made: the type is
/// unknown or the plug-in cannot make its instance.
Result<SceneObject*> create_object(const TypeRegistry& types, int32_t type);

/// A deep copy of `original` and its children, outside any tree; null on failure.
SceneObject* clone_object(const TypeRegistry& types, const SceneObject& original,
                          AliasMap* aliases);

} // namespace vantri
