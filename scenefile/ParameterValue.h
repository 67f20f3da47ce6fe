// A parameter value written in a scene file, turned into the value the host stores for it:
// with the type that the parameter's description gives (an integer written for a real
// parameter is stored as a real), links and lists resolved to the scene's objects by name.
#pragma once

#include "host/plugin/ObjectTypes.h"
#include "host/resources/DescriptionFile.h"
#include "host/scene/SceneObject.h"
#include "host/scene/Value.h"
#include "scenefile/SceneFile.h"

#include <functional>

namespace vantri {

/// The scene's object of this name, or null when there is none.
using ObjectLookup = std::function<SceneObject*(const std::string& name)>;

/// What a parameter's value is being read for: the object (for messages, e.g. "'crowd'
/// (ocrowdgenerator)") and where the value stands in the file.
struct ParameterSite {
    std::string object;
    std::string path;
    /// The types known to the host, to name the types a link accepts.
    const TypeRegistry* types = nullptr;
    /// The names of the scene's objects, to suggest one for a link to a misspelt name.
    const std::vector<std::string>* object_names = nullptr;
};

/// The value of `parameter` written as `json`; a scene_error at the site's path, naming the
/// object, the parameter and what was expected, when the value does not fit.
Result<Value> parameter_value(const DescriptionParameter& parameter, const Json& json,
                              const ObjectLookup& lookup, const ParameterSite& site);

/// What a parameter of data type `dtype` is called in messages ("an integer", ...).
std::string parameter_kind(const DescriptionParameter& parameter);

} // namespace vantri
