#include "host/resources/DescriptionFile.h"

#include "abi/host_abi.h"
#include "host/resources/ResourceJson.h"
#include "host/resources/TextFile.h"

#include <cctype>
#include <cmath>
#include <map>

namespace vantri {
namespace {

struct TypeName {
    const char* name;
    int32_t dtype;
};

const TypeName kTypes[] = {
    {"group", VT_DTYPE_GROUP},
    {"integer", VT_DTYPE_LONG},
    {"real", VT_DTYPE_REAL},
    {"bool", VT_DTYPE_BOOL},
    {"vector", VT_DTYPE_VECTOR},
    {"string", VT_DTYPE_STRING},
    {"link", VT_DTYPE_LINK},
    {"in/exclude list", VT_CUSTOMDATA_INEXCLUDE},
    {"spline curve", VT_CUSTOMDATA_SPLINE},
};

const char* const kTypeList =
    "group, integer, real, bool, vector, string, link, in/exclude list or spline curve";

const char* type_name(int32_t dtype) {
    for (const TypeName& type : kTypes)
        if (type.dtype == dtype) return type.name;
    return "unknown";
}

bool is_numeric(int32_t dtype) {
    return dtype == VT_DTYPE_LONG || dtype == VT_DTYPE_REAL || dtype == VT_DTYPE_VECTOR;
}

bool is_link(int32_t dtype) {
    return dtype == VT_DTYPE_LINK || dtype == VT_CUSTOMDATA_INEXCLUDE;
}

/// Symbols become enum constants of the plug-in's generated id header.
bool is_identifier(const std::string& text) {
    if (text.empty() || std::isdigit(static_cast<unsigned char>(text[0]))) return false;
    for (char c : text)
        if (!std::isalnum(static_cast<unsigned char>(c)) && c != '_') return false;
    return true;
}

class DescriptionReader {
  public:
    void read(const ResourceField& root, const std::string& name, DescriptionResource& out) {
        root.expect_object("a description", {"comment", "name", "title", "parameters"});
        root.require("name", "the description's name, '" + name + "'");
        const ResourceField declared = root.member("name");
        if (declared.text() != name)
            declared.fail("the description is named '" + declared.text() + "': expected '" + name +
                          "', the name of its file");
        out.name = name;
        if (root.has("title")) out.label = root.member("title").text();
        if (!root.has("parameters")) return;
        const ResourceField list = root.member("parameters");
        list.expect_list("a list of parameters");
        for (size_t i = 0; i < list.json().size(); ++i)
            out.parameters.push_back(parameter(list.element(i)));
    }

  private:
    DescriptionParameter parameter(const ResourceField& in) {
        in.expect_object("a parameter",
                         {"comment", "symbol", "id", "type", "group", "label", "hidden", "open",
                          "default", "min", "max", "step", "unit", "switch", "options", "accept"});
        in.require("symbol", "the parameter's symbol, such as \"CROWDGEN_COUNT_X\"");
        in.require("id", "the parameter's id, a whole number");
        in.require("type", std::string("the parameter's type: ") + kTypeList);
        DescriptionParameter p;
        p.symbol = declare_symbol(in.member("symbol"));
        const ResourceField id = in.member("id");
        p.id = id.int32();
        const auto taken = ids_.find(p.id);
        if (taken != ids_.end())
            id.fail("duplicate id " + std::to_string(p.id) + " ('" + p.symbol +
                    "'): already declared at " + taken->second);
        ids_[p.id] = in.path();

        const ResourceField type = in.member("type");
        const std::string type_text = type.text();
        for (const TypeName& known : kTypes)
            if (type_text == known.name) p.dtype = known.dtype;
        if (p.dtype == 0)
            type.fail("unknown parameter type '" + type_text + "': expected " + kTypeList);

        if (in.has("group")) {
            const ResourceField group = in.member("group");
            const auto found = groups_.find(group.text());
            if (found == groups_.end())
                group.fail("unknown group '" + group.text() +
                           "': expected the symbol of a group listed before this parameter");
            p.group = found->second;
        }
        if (in.has("label")) p.label = in.member("label").text();
        if (in.has("hidden")) p.hidden = in.member("hidden").flag();

        check_applies(in, p);
        if (in.has("open")) p.open = in.member("open").flag();
        range(in, "min", p, p.min);
        range(in, "max", p, p.max);
        range(in, "step", p, p.step);
        if (in.has("unit")) {
            const ResourceField unit = in.member("unit");
            if (!unit.json().is_string() ||
                (unit.text() != "meter" && unit.text() != "degree" && unit.text() != "percent"))
                unit.expected("a unit (meter, degree or percent)");
            p.unit = unit.text();
        }
        if (in.has("switch")) p.is_switch = in.member("switch").flag();
        if (in.has("options")) options(in.member("options"), p);
        if (in.has("accept")) accept(in.member("accept"), p);
        check_combination(in, p);
        if (in.has("default")) default_value(in.member("default"), p);
        if (p.dtype == VT_DTYPE_GROUP) groups_[p.symbol] = p.id;
        return p;
    }

    /// A symbol of a parameter or an option: a C++ identifier, unique in the description
    /// (the generated header declares them all in one enum).
    std::string declare_symbol(const ResourceField& field) {
        std::string symbol = field.text();
        if (!is_identifier(symbol))
            field.expected("a symbol made of letters, digits and '_' that does not start with a "
                           "digit");
        const auto taken = symbols_.find(symbol);
        if (taken != symbols_.end())
            field.fail("duplicate symbol '" + symbol + "': already declared at " + taken->second);
        symbols_[symbol] = field.path();
        return symbol;
    }

    void check_applies(const ResourceField& in, const DescriptionParameter& p) {
        const auto only_for = [&](const char* key, bool applies, const char* which) {
            if (in.has(key) && !applies)
                in.member(key).fail(std::string("\"") + key + "\" does not apply to the " +
                                    type_name(p.dtype) + " parameter '" + p.symbol +
                                    "': it is for " + which);
        };
        const bool numeric = is_numeric(p.dtype);
        only_for("open", p.dtype == VT_DTYPE_GROUP, "groups");
        for (const char* key : {"min", "max", "step", "unit"})
            only_for(key, numeric, "integer, real and vector parameters");
        only_for("switch", p.dtype == VT_DTYPE_LONG,
                 "integer parameters (a bool is always a switch)");
        only_for("options", p.dtype == VT_DTYPE_LONG, "integer parameters");
        only_for("accept", is_link(p.dtype), "link and in/exclude list parameters");
        only_for("default", p.dtype != VT_DTYPE_GROUP && !is_link(p.dtype),
                 "parameters that hold a value of their own (not groups, links or lists)");
    }

    void range(const ResourceField& in, const char* key, const DescriptionParameter& p,
               std::optional<double>& out) {
        if (!in.has(key)) return;
        const ResourceField field = in.member(key);
        const double value = field.number();
        const std::string what = std::string(key) + " of '" + p.symbol + "': expected ";
        if (p.dtype == VT_DTYPE_LONG && value != std::floor(value))
            field.fail(what + "a whole number for an integer parameter, found " +
                       number_text(value));
        if (std::string(key) == "step" && !(value > 0.0))
            field.fail(what + "a number above 0, found " + number_text(value));
        out = value;
    }

    void options(const ResourceField& list, DescriptionParameter& p) {
        list.expect_list("a list of options {\"symbol\", \"value\", \"label\"}");
        if (list.json().empty())
            list.fail("empty options of '" + p.symbol + "': expected at least one option");
        std::map<int32_t, std::string> values;
        for (size_t i = 0; i < list.json().size(); ++i) {
            const ResourceField in = list.element(i);
            in.expect_object("an option", {"comment", "symbol", "value", "label"});
            in.require("symbol", "the option's symbol");
            in.require("value", "the value the parameter stores when the option is chosen");
            CycleOption option{0, declare_symbol(in.member("symbol")), ""};
            const ResourceField value = in.member("value");
            option.value = value.int32();
            const auto taken = values.find(option.value);
            if (taken != values.end())
                value.fail("duplicate option value " + std::to_string(option.value) + " ('" +
                           option.symbol + "'): already the value of " + taken->second);
            values[option.value] = in.path();
            if (in.has("label")) option.label = in.member("label").text();
            p.cycle.push_back(option);
        }
    }

    void accept(const ResourceField& list, DescriptionParameter& p) {
        list.expect_list("a list of object types");
        if (list.json().empty())
            list.fail("empty accept list of '" + p.symbol +
                      "': expected at least one type (leave \"accept\" out to accept any object)");
        for (size_t i = 0; i < list.json().size(); ++i) {
            const ResourceField entry = list.element(i);
            int32_t type = 0;
            if (entry.json().is_string()) {
                if (!host_type_by_name(entry.text(), type))
                    entry.fail("unknown object type '" + entry.text() +
                               "': expected a type id or one of any object, null, instance, "
                               "polygon, spline");
            } else if (entry.json().is_number()) {
                type = entry.int32();
            } else {
                entry.expected("an object type (a type id or a name)");
            }
            p.accepted_types.push_back(type);
        }
    }

    /// Rules that hold across the attributes of one parameter.
    void check_combination(const ResourceField& in, const DescriptionParameter& p) {
        const bool ranged = p.min || p.max || p.step || !p.unit.empty();
        if (p.min && p.max && *p.min > *p.max)
            in.fail("min of '" + p.symbol + "' is above its max");
        if (!p.cycle.empty() && (p.is_switch || ranged))
            in.fail("choice parameter '" + p.symbol +
                    "' takes no switch, min, max, step or unit: its value is one of its options");
        if (p.is_switch && ranged)
            in.fail("switch '" + p.symbol + "' takes no min, max, step or unit");
    }

    void default_value(const ResourceField& in, DescriptionParameter& p) {
        const ResourceJson& json = in.json();
        const std::string of = "the default of '" + p.symbol + "'";
        ParameterDefault& value = p.default_value;
        value.stated = true;
        switch (p.dtype) {
        case VT_DTYPE_LONG:
            if (!p.cycle.empty()) {
                bool found = false;
                for (const CycleOption& option : p.cycle) {
                    if ((json.is_string() && json.get<std::string>() == option.symbol) ||
                        (json.is_number() && json.get<double>() == option.value)) {
                        value.integer = option.value;
                        found = true;
                    }
                }
                if (!found) in.expected(of + ", one of its options (a symbol or a value)");
            } else if (p.is_switch) {
                const double number = json.is_number() ? json.get<double>() : -1.0;
                if (!json.is_boolean() && number != 0.0 && number != 1.0)
                    in.expected(of + ", 0, 1, true or false");
                value.integer = json.is_boolean() ? json.get<bool>() : number == 1.0;
            } else {
                value.integer = in_range(in, p, in.int32());
            }
            return;
        case VT_DTYPE_BOOL:
            value.integer = in.flag() ? 1 : 0;
            return;
        case VT_DTYPE_REAL:
            value.real = in_range(in, p, in.number());
            return;
        case VT_DTYPE_STRING:
            value.text = in.text();
            return;
        case VT_DTYPE_VECTOR:
            if (!json.is_array() || json.size() != 3) in.expected(of + ", a vector [x, y, z]");
            value.vector.x = in_range(in.element(0), p, in.element(0).number());
            value.vector.y = in_range(in.element(1), p, in.element(1).number());
            value.vector.z = in_range(in.element(2), p, in.element(2).number());
            return;
        case VT_CUSTOMDATA_SPLINE: {
            in.expect_object("a spline curve", {"knots"});
            in.require("knots", "the curve's knots, [[x, y], ...]");
            const ResourceField knots = in.member("knots");
            if (!knots.json().is_array() || knots.json().empty())
                knots.expected("a list of knots [[x, y], ...]");
            for (size_t i = 0; i < knots.json().size(); ++i) {
                const ResourceField knot = knots.element(i);
                if (!knot.json().is_array() || knot.json().size() != 2) knot.expected("[x, y]");
                value.knots.emplace_back(knot.element(0).number(), knot.element(1).number());
            }
            return;
        }
        }
    }

    template <typename T> T in_range(const ResourceField& in, const DescriptionParameter& p, T v) {
        if ((p.min && v < *p.min) || (p.max && v > *p.max))
            in.fail("the default of '" + p.symbol + "' lies outside its range [" +
                    (p.min ? number_text(*p.min) : "") + ", " + (p.max ? number_text(*p.max) : "") +
                    "]");
        return v;
    }

    std::map<std::string, std::string> symbols_; ///< symbol -> where it was declared
    std::map<int32_t, std::string> ids_;         ///< parameter id -> where it was declared
    std::map<std::string, int32_t> groups_;      ///< group symbol -> id, groups read so far
};

} // namespace

const DescriptionParameter* DescriptionResource::find(int32_t id) const {
    for (const DescriptionParameter& p : parameters)
        if (p.id == id) return &p;
    return nullptr;
}

const DescriptionParameter* DescriptionResource::find(const std::string& symbol) const {
    for (const DescriptionParameter& p : parameters)
        if (p.symbol == symbol) return &p;
    return nullptr;
}

bool host_type_by_name(const std::string& name, int32_t& type) {
    static const struct {
        const char* name;
        int32_t type;
    } kHostTypes[] = {
        {"any object", 5155}, {"null", 5140},   {"instance", 5126},
        {"polygon", 5100},    {"spline", 5101},
    };
    for (const auto& entry : kHostTypes) {
        if (name == entry.name) {
            type = entry.type;
            return true;
        }
    }
    return false;
}

Status parse_description(const std::string& text, const std::string& path, const std::string& name,
                         DescriptionResource& out) {
    ResourceJson root;
    if (Status done = parse_resource_json(text, path, root); !done) return done;
    DescriptionResource description;
    try {
        DescriptionReader().read(ResourceField(root, ""), name, description);
    } catch (const ResourceFault& fault) {
        return failure(fault.describe(path));
    }
    out = std::move(description);
    return {};
}

Status load_description(const std::string& path, const std::string& name,
                        DescriptionResource& out) {
    std::string text;
    if (Status done = read_text_file(path, text); !done) return done;
    return parse_description(text, path, name, out);
}

} // namespace vantri
