// The plug-in's own strings: the display texts it loads by id (the names of its object
// types), read from strings.json in its resource folder.
#pragma once

#include "host/Status.h"

#include <cstdint>
#include <map>
#include <string>

namespace vantri {

/// Parses `text`, the strings file at `path`: {"strings": [{"id": 1004, "text": "..."}, ...]}.
/// No id may have two texts. On failure leaves `out` untouched and fails with "path:
/// json.path: what was expected" (or "path:line:column: not valid JSON: why").
Status parse_string_table(const std::string& text, const std::string& path,
                          std::map<int32_t, std::string>& out);

/// Reads and parses the strings file at `path`.
Status load_string_table(const std::string& path, std::map<int32_t, std::string>& out);

} // namespace vantri
