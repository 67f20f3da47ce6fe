// A symbol header: the C header beside a resource that gives every resource symbol its
// numeric id as an enum constant. The plug-in's C++ code includes the same header, so the
// ids it uses and the ids the host reads from the resources cannot drift apart.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace vantri {

/// One enum constant of a symbol header.
struct Symbol {
    std::string name;
    int32_t value = 0;
    int line = 0; ///< where it is defined
};

/// The enum constants of one header, in file order. Two names may share a value.
struct SymbolHeader {
    std::string path;
    std::vector<Symbol> symbols;

    /// The constant called `name`, or null.
    const Symbol* find(const std::string& name) const;

  private:
    friend bool parse_symbol_header(const std::string&, const std::string&, SymbolHeader&,
                                    std::string&);
    std::map<std::string, size_t> index_;
};

/// Parses `text`, the content of the header at `path`: preprocessor lines and comments are
/// skipped, and every `enum { NAME [= value], ... };` adds its constants. A value is an
/// integer, or an earlier constant optionally plus or minus an integer; a constant without
/// one follows the previous constant of its enum by one (the first is 0), as in C.
/// On failure returns false, leaves `out` untouched and sets `error` to
/// "path:line:column: what was expected".
bool parse_symbol_header(const std::string& text, const std::string& path, SymbolHeader& out,
                         std::string& error);

/// Reads and parses the header file at `path`.
bool load_symbol_header(const std::string& path, SymbolHeader& out, std::string& error);

} // namespace vantri
