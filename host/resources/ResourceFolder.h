// A plug-in's resource folder, loaded whole: its strings and its descriptions.
//
//   res/strings.json                 the plug-in's own strings, by id
//   res/descriptions/<name>.json     one description per object type: its parameters,
//                                    their ids, types, groups, labels and defaults
//
// Icons (*.tif beside strings.json) are read on their own with load_tiff.
// docs/resource-format.md describes the files.
#pragma once

#include "host/Status.h"

#include "host/resources/DescriptionFile.h"

#include <cstdint>
#include <map>
#include <string>

namespace vantri {

struct ResourceSet {
    std::map<int32_t, std::string> strings;                  ///< the plug-in's strings by id
    std::map<std::string, DescriptionResource> descriptions; ///< by description name
};

/// Loads <res_folder>/strings.json and every descriptions/<name>.json. A folder without
/// descriptions/ has no descriptions. On failure leaves `out` untouched and fails with
/// "path: json.path: what was expected", "path:line:column: not valid JSON: why", or
/// "path: why" for a file that cannot be read.
Status load_resource_folder(const std::string& res_folder, ResourceSet& out);

} // namespace vantri
