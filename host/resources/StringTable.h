// A string table: the display texts of one language for the symbols of a symbol header.
// The plug-in has one for its own strings (names of its object types) and one per
// description (the labels of its parameters, groups and cycle options).
#pragma once

#include "resources/SymbolHeader.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

/// One text of a string table.
struct StringEntry {
    std::string symbol;
    int32_t id = 0; ///< the symbol's value in the header
    std::string text;
    int line = 0;
};

struct StringTable {
    std::string name;  ///< the description it labels; empty for the plug-in's own table
    std::string title; ///< a description's own display name (its entry under its name)
    std::vector<StringEntry> entries; ///< in file order

    /// The entry for `symbol`, or null.
    const StringEntry* find(const std::string& symbol) const;
};

/// Parses `text`, the string table at `path`, resolving each symbol through `symbols`.
///
/// With an empty `description_name` it is the plug-in's own table, `STRINGTABLE { ... }`,
/// and no id may have two texts. Otherwise it must be `STRINGTABLE <description_name>
/// { ... }`; an entry under the description's own name gives its title, and a symbol may not
/// have two texts (two symbols of one value, such as a parameter and a cycle option, may).
/// On failure returns false, leaves `out` untouched and sets `error` to
/// "path:line:column: what was expected".
bool parse_string_table(const std::string& text, const std::string& path,
                        const SymbolHeader& symbols, const std::string& description_name,
                        StringTable& out, std::string& error);

/// Reads and parses the string table file at `path`.
bool load_string_table(const std::string& path, const SymbolHeader& symbols,
                       const std::string& description_name, StringTable& out, std::string& error);

} // namespace vantri
