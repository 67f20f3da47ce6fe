// A description: the parameters of one object type as the attribute manager shows them,
// with their ids, data types, groups, cycle options, ranges and accepted link types.
// It is read from description/<name>.res, whose symbols the header description/<name>.h
// defines; the labels come from the description's string table.
#pragma once

#include "resources/SymbolHeader.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantri {

/// One option of a cycle (choice) parameter: the value the parameter stores when chosen.
struct CycleOption {
    int32_t value;
    std::string symbol;
    std::string label;
};

struct DescriptionParameter {
    int32_t id = 0;
    std::string symbol;  ///< e.g. "CROWDGEN_COUNT_X"
    int32_t dtype = 0;   ///< VT_DTYPE_* of api/host_abi.h, or VT_CUSTOMDATA_INEXCLUDE / _SPLINE
    std::string label;   ///< from the string table of the description
    int32_t group = 0;   ///< id of the enclosing GROUP, 0 at top level
    bool hidden = false; ///< hidden by default in the resource
    bool open = false;   ///< for groups: open by default
    std::vector<CycleOption> cycle;       ///< options of a cycle (choice) parameter, in file order
    std::optional<double> min, max, step; ///< in the stored unit (radians, fractions)
    std::string unit;                     ///< "DEGREE", "METER", "PERCENT", or empty
    std::vector<int32_t> accepted_types;  ///< for LINK / IN_EXCLUDE; empty accepts any
    bool is_switch = false;               ///< an integer shown as a switch
};

struct DescriptionResource {
    std::string name;                             ///< "ocrowdgenerator"
    std::string label;                            ///< the type's title in its string table
    std::vector<DescriptionParameter> parameters; ///< in file order, groups before members

    const DescriptionParameter* find(int32_t id) const;
    const DescriptionParameter* find(const std::string& symbol) const;
};

/// Parses `text`, the description file at `path`, which must declare `DESCRIPTION <name>`;
/// every symbol is resolved through `symbols`. Labels are left empty (see
/// apply_description_labels). On failure returns false, leaves `out` untouched and sets
/// `error` to "path:line:column: what was expected".
bool parse_description(const std::string& text, const std::string& path,
                       const SymbolHeader& symbols, const std::string& name,
                       DescriptionResource& out, std::string& error);

/// Reads and parses the description file at `path`.
bool load_description(const std::string& path, const SymbolHeader& symbols, const std::string& name,
                      DescriptionResource& out, std::string& error);

struct StringTable;

/// Gives the description, its parameters and their cycle options the texts of `strings`
/// (matched by symbol). A symbol without a text keeps an empty label.
void apply_description_labels(const StringTable& strings, DescriptionResource& description);

/// The host type names an ACCEPT list may use besides plain type ids.
/// Returns false when `name` is not one of them.
bool host_type_by_name(const std::string& name, int32_t& type);

} // namespace vantri
