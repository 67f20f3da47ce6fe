// The plug-in's own strings: the display texts it loads by id (the names of its object
// types), read from strings.json in its resource folder.
#pragma once

#include <cstdint>
#include <map>
#include <string>

namespace vantri {

/// Parses `text`, the strings file at `path`: {"strings": [{"id": 1004, "text": "..."}, ...]}.
/// No id may have two texts. On failure returns false, leaves `out` untouched and sets
/// `error` to "path: json.path: what was expected" (or "path:line:column: not valid JSON: why").
bool parse_string_table(const std::string& text, const std::string& path,
                        std::map<int32_t, std::string>& out, std::string& error);

/// Reads and parses the strings file at `path`.
bool load_string_table(const std::string& path, std::map<int32_t, std::string>& out,
                       std::string& error);

} // namespace vantri
