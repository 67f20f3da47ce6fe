#include "scenefile/ParameterValue.h"

#include "scenefile/CustomValues.h"
#include "scenefile/JsonValues.h"
#include "scenefile/NearestName.h"

#include <algorithm>
#include <cstdio>

namespace vantri {

namespace {

/// The host type that stands for "any object" in a description's "accept" list.
constexpr int32_t kAnyObjectType = 5155;

std::string cycle_text(const DescriptionParameter& p) {
    std::string text;
    for (const CycleOption& option : p.cycle) {
        if (!text.empty()) text += ", ";
        text += option.symbol + " (" + std::to_string(option.value) + ")";
    }
    return text;
}

class Converter {
  public:
    Converter(const DescriptionParameter& p, const ObjectLookup& lookup, const ParameterSite& site)
        : p_(p), lookup_(lookup), site_(site) {}

    Result<Value> convert(const Json& json) const {
        switch (p_.dtype) {
        case VT_DTYPE_LONG: {
            Result<Value> v = integer(json);
            if (v && p_.cycle.empty()) {
                if (Status above = at_least_minimum(json, v->integer); !above) return above.error();
            }
            return v;
        }
        case VT_DTYPE_REAL: {
            double v = 0.0;
            if (!json_to_real(json, v)) return mismatch(json);
            if (Status above = at_least_minimum(json, v); !above) return above.error();
            return Value::of_real(v);
        }
        case VT_DTYPE_BOOL:
            if (!json.is_boolean()) return mismatch(json);
            return Value::of_int(json.get<bool>() ? 1 : 0);
        case VT_DTYPE_VECTOR: {
            VtVector v{};
            if (!json_to_vector(json, v)) return mismatch(json);
            return Value::of_vector(v);
        }
        case VT_DTYPE_STRING:
            if (!json.is_string()) return mismatch(json);
            return Value::of_string(json.get<std::string>());
        case VT_DTYPE_LINK: {
            if (!json.is_string()) return mismatch(json);
            const Result<SceneObject*> target = object(json.get<std::string>(), site_.path);
            if (!target) return target.error();
            return Value::of_link(*target);
        }
        case VT_CUSTOMDATA_INEXCLUDE:
            return in_exclude(json);
        case VT_CUSTOMDATA_SPLINE:
            return spline(json);
        default:
            return scene_error(site_.path, "object " + site_.object + ": " + p_.symbol + " is " +
                                               parameter_kind(p_) +
                                               ", which a scene file cannot set");
        }
    }

  private:
    Error mismatch(const Json& json, const std::string& path = {}) const {
        std::string expected = parameter_kind(p_);
        if (p_.dtype == VT_DTYPE_LONG && !p_.cycle.empty())
            expected += " (one of " + cycle_text(p_) + ")";
        return scene_error(path.empty() ? site_.path : path,
                           "object " + site_.object + ": " + p_.symbol + " expects " + expected +
                               ", not " + json_kind(json));
    }

    // A number below the description's minimum is a mistake of the file: no negative size,
    // radius or count means anything. The maximum is the attribute manager's slider bound
    // only: a scene file may ask for a larger crew, which the memory limit then decides on.
    Status at_least_minimum(const Json& json, double v) const {
        const auto bound = [](double b) {
            char text[32];
            std::snprintf(text, sizeof text, "%.17g", b);
            return std::string(text);
        };
        if (p_.min && v < *p_.min)
            return scene_error(site_.path, "object " + site_.object + ": " + p_.symbol +
                                               " is at least " + bound(*p_.min) + ", not " +
                                               json_kind(json));
        return {};
    }

    Result<Value> integer(const Json& json) const {
        int32_t v = 0;
        // A choice is one of its options; no code handles any other value.
        if (json_to_int32(json, v) && (p_.cycle.empty() || is_option(v))) return Value::of_int(v);
        if (p_.is_switch && json.is_boolean()) return Value::of_int(json.get<bool>() ? 1 : 0);
        if (json.is_string()) {
            for (const CycleOption& option : p_.cycle) {
                if (option.symbol == json.get<std::string>()) return Value::of_int(option.value);
            }
        }
        return mismatch(json);
    }

    bool is_option(int32_t v) const {
        return std::any_of(p_.cycle.begin(), p_.cycle.end(),
                           [v](const CycleOption& option) { return option.value == v; });
    }

    Result<SceneObject*> object(const std::string& name, const std::string& path) const {
        SceneObject* target = lookup_(name);
        if (target == nullptr)
            return scene_error(path, "object " + site_.object + ": " + p_.symbol + " links to '" +
                                         name + "', which is not an object of this scene" +
                                         (site_.object_names != nullptr
                                              ? did_you_mean(name, *site_.object_names)
                                              : std::string()));
        const auto& accepted = p_.accepted_types;
        if (!accepted.empty() &&
            std::find(accepted.begin(), accepted.end(), kAnyObjectType) == accepted.end() &&
            std::find(accepted.begin(), accepted.end(), target->type()) == accepted.end()) {
            std::string names;
            for (int32_t type : accepted) {
                const ObjectType* known = site_.types ? site_.types->find(type) : nullptr;
                names += (names.empty() ? "" : ", ") +
                         (known != nullptr ? known->name : "type " + std::to_string(type));
            }
            const ObjectType* own = site_.types ? site_.types->find(target->type()) : nullptr;
            return scene_error(
                path, "object " + site_.object + ": " + p_.symbol + " accepts only " + names +
                          " objects, and '" + name + "' is a " +
                          (own != nullptr ? own->name : "type " + std::to_string(target->type())));
        }
        return target;
    }

    Result<Value> in_exclude(const Json& json) const {
        if (!json.is_array()) return mismatch(json);
        std::vector<const Atom*> objects;
        for (size_t i = 0; i < json.size(); ++i) {
            if (!json[i].is_string()) return mismatch(json[i], json_path(site_.path, i));
            const Result<SceneObject*> target =
                object(json[i].get<std::string>(), json_path(site_.path, i));
            if (!target) return target.error();
            objects.push_back(*target);
        }
        std::unique_ptr<CustomData> list = make_in_exclude_list(objects);
        if (list == nullptr) return unsupported();
        return Value::of_custom(std::move(list));
    }

    Result<Value> spline(const Json& json) const {
        if (!json.is_object() || !json.contains("knots") || json.size() != 1 ||
            !json["knots"].is_array() || json["knots"].empty())
            return mismatch(json);
        const Json& knots = json["knots"];
        std::vector<SplineKnot> points;
        for (size_t i = 0; i < knots.size(); ++i) {
            const Json& knot = knots[i];
            SplineKnot k;
            if (!knot.is_array() || knot.size() != 2 || !json_to_real(knot[0], k.x) ||
                !json_to_real(knot[1], k.y))
                return scene_error(json_path(json_path(site_.path, "knots"), i),
                                   "object " + site_.object + ": " + p_.symbol +
                                       ": a knot must be [x, y], not " + json_kind(knot));
            points.push_back(k);
        }
        std::unique_ptr<CustomData> curve = make_spline_curve(points);
        if (curve == nullptr) return unsupported();
        return Value::of_custom(std::move(curve));
    }

    Error unsupported() const {
        return plugin_scene_error(site_.path, "object " + site_.object + ": " + p_.symbol + " is " +
                                                  parameter_kind(p_) +
                                                  ", which this host cannot store");
    }

    const DescriptionParameter& p_;
    const ObjectLookup& lookup_;
    const ParameterSite& site_;
};

} // namespace

std::string parameter_kind(const DescriptionParameter& parameter) {
    switch (parameter.dtype) {
    case VT_DTYPE_LONG:
        return parameter.is_switch ? "an integer switch (0, 1, true or false)" : "an integer";
    case VT_DTYPE_REAL:
        return "a number";
    case VT_DTYPE_BOOL:
        return "true or false";
    case VT_DTYPE_VECTOR:
        return "a vector [x, y, z]";
    case VT_DTYPE_STRING:
        return "a string";
    case VT_DTYPE_LINK:
        return "a link (an object's name)";
    case VT_CUSTOMDATA_INEXCLUDE:
        return "an in/exclude list (a list of object names)";
    case VT_CUSTOMDATA_SPLINE:
        return "a spline curve ({\"knots\": [[x, y], ...]})";
    case VT_DTYPE_GROUP:
        return "a group";
    case VT_DTYPE_TIME:
        return "a time";
    default:
        return "of data type " + std::to_string(parameter.dtype);
    }
}

Result<Value> parameter_value(const DescriptionParameter& parameter, const Json& json,
                              const ObjectLookup& lookup, const ParameterSite& site) {
    return Converter(parameter, lookup, site).convert(json);
}

} // namespace vantri
