// A plug-in's resource folder, loaded whole: its string table and its descriptions.
//
//   res/c4d_symbols.h                          ids of the plug-in's own strings
//   res/strings_us/c4d_strings.str             the texts of those ids
//   res/description/<name>.res                 one description per object type
//   res/description/<name>.h                   the ids of its symbols
//   res/strings_us/description/<name>.str      its labels
//
// Icons (*.tif beside c4d_symbols.h) are read on their own with load_tiff.
#pragma once

#include "resources/DescriptionFile.h"

#include <cstdint>
#include <map>
#include <string>

namespace vantri {

struct ResourceSet {
    std::map<int32_t, std::string> strings;                  ///< the plug-in's string table ("us")
    std::map<std::string, DescriptionResource> descriptions; ///< by description name
};

/// Loads <res_folder>/c4d_symbols.h, strings_us/c4d_strings.str, and every
/// description/<name>.res with its .h and strings_us/description/<name>.str. A folder
/// without description/ has no descriptions. On failure returns false, leaves `out`
/// untouched and sets `error` to "path:line:column: what was expected" (or "path: why"
/// for a file that cannot be read).
bool load_resource_folder(const std::string& res_folder, ResourceSet& out, std::string& error);

} // namespace vantri
