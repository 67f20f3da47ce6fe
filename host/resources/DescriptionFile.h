// A description: the parameters of one object type as the attribute manager shows them,
// with their ids, data types, groups, labels, defaults, ranges, choice options and accepted
// link types. It is read from descriptions/<name>.json (docs/resource-format.md); the
// plug-in's id headers are generated from the same file.
#pragma once

#include "host/Status.h"

#include "abi/host_abi.h"

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantri {

/// One option of a choice (cycle) parameter: the value the parameter stores when chosen.
struct CycleOption {
    int32_t value;
    std::string symbol;
    std::string label;
};

/// The value a new object's Init writes to a parameter, as its description states it. The
/// member that holds it follows the parameter's data type.
struct ParameterDefault {
    bool stated = false; ///< false where the description states none (Init writes nothing)
    int32_t integer = 0; ///< integers (a choice's option value, a switch's 0 or 1), bools (0, 1)
    double real = 0.0;   ///< reals
    VtVector vector{0.0, 0.0, 0.0};
    std::string text;                             ///< strings
    std::vector<std::pair<double, double>> knots; ///< spline curves: x and y of each knot
};

struct DescriptionParameter {
    int32_t id = 0;
    std::string symbol;  ///< e.g. "CROWDGEN_COUNT_X"
    int32_t dtype = 0;   ///< VT_DTYPE_* of abi/host_abi.h, or VT_CUSTOMDATA_INEXCLUDE / _SPLINE
    std::string label;   ///< what the attribute manager shows; may be empty
    int32_t group = 0;   ///< id of the enclosing group, 0 at top level
    bool hidden = false; ///< hidden until the object shows it
    bool open = false;   ///< for groups: shown unfolded
    std::vector<CycleOption> cycle;       ///< options of a choice parameter, in file order
    std::optional<double> min, max, step; ///< in the stored unit (radians, fractions)
    std::string unit;                     ///< "degree", "meter", "percent", or empty
    std::vector<int32_t> accepted_types;  ///< for links and lists; empty accepts any
    bool is_switch = false;               ///< an integer shown as a switch
    ParameterDefault default_value;
};

struct DescriptionResource {
    std::string name;                             ///< "ocrowdgenerator"
    std::string label;                            ///< the type's title
    std::vector<DescriptionParameter> parameters; ///< in file order, groups before members

    const DescriptionParameter* find(int32_t id) const;
    const DescriptionParameter* find(const std::string& symbol) const;
};

/// Parses `text`, the description file at `path`, whose "name" must be `name`. On failure
/// leaves `out` untouched and fails with "path: json.path: what was expected" (or
/// "path:line:column: not valid JSON: why").
Status parse_description(const std::string& text, const std::string& path, const std::string& name,
                         DescriptionResource& out);

/// Reads and parses the description file at `path`.
Status load_description(const std::string& path, const std::string& name, DescriptionResource& out);

/// The object type names an "accept" list may use besides plain type ids ("any object",
/// "null", ...). Returns false when `name` is not one of them.
bool host_type_by_name(const std::string& name, int32_t& type);

} // namespace vantri
