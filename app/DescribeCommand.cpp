// vantri describe TYPE: the parameters of a new object of a plug-in type, as its description
// shows them after Init. With --json, the same for tools that build their own editors of the
// plug-in's objects (the Blender add-on): every entry with its type, group, label, range,
// unit, options, accepted types and the value Init wrote, for one type or for all of them.
#include "app/Commands.h"
#include "app/PluginSession.h"

#include "host/scene/Document.h"
#include "host/scene/ObjectDescription.h"
#include "host/scene/ObjectFactory.h"
#include "host/scene/SplineCurve.h"
#include "scenefile/NearestName.h"
#include "scenefile/SceneFile.h"
#include "scenefile/SceneTypes.h"

#include <nlohmann/json.hpp>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace vantri {

namespace {

std::string type_name(int32_t dtype) {
    switch (dtype) {
    case VT_DTYPE_GROUP:
        return "group";
    case VT_DTYPE_LONG:
        return "integer";
    case VT_DTYPE_REAL:
        return "real";
    case VT_DTYPE_BOOL:
        return "bool";
    case VT_DTYPE_VECTOR:
        return "vector";
    case VT_DTYPE_STRING:
        return "string";
    case VT_DTYPE_LINK:
        return "link";
    case VT_CUSTOMDATA_INEXCLUDE:
        return "in/exclude list";
    case VT_CUSTOMDATA_SPLINE:
        return "spline curve";
    default:
        return "type " + std::to_string(dtype);
    }
}

std::string real_text(double value) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

std::string value_text(const Value* value) {
    if (value == nullptr) return "-";
    switch (value->type) {
    case VT_DTYPE_LONG:
        return std::to_string(value->integer);
    case VT_DTYPE_REAL:
        return real_text(value->real);
    case VT_DTYPE_VECTOR:
        return "(" + real_text(value->vector.x) + ", " + real_text(value->vector.y) + ", " +
               real_text(value->vector.z) + ")";
    case VT_DTYPE_STRING:
        return "\"" + value->text + "\"";
    case VT_DTYPE_LINK: {
        Atom* target = value->target();
        return target != nullptr ? "-> " + target->name() : "-";
    }
    default:
        return value->custom ? value->custom->summary() : "-";
    }
}

const ObjectType* find_type(const TypeRegistry& types, const std::string& wanted) {
    if (const ObjectType* type = types.find_by_description(wanted)) return type;
    // The scene file's short names ("generator") name the same types.
    if (const Result<const ObjectType*> type = resolve_scene_type(types, wanted, "");
        type && (*type)->is_plugin())
        return *type;
    char* end = nullptr;
    const long id = std::strtol(wanted.c_str(), &end, 10);
    if (end != wanted.c_str() && *end == '\0') {
        if (const ObjectType* type = types.find(static_cast<int32_t>(id))) return type;
    }
    for (const ObjectType* type : types.plugin_types()) {
        if (type->name == wanted) return type;
    }
    return nullptr;
}

using Json = nlohmann::ordered_json;

/// An accepted object type: its id and the name a description or a scene file knows it by.
Json accepted_type_json(const TypeRegistry& types, int32_t id) {
    Json accepted{{"id", id}};
    for (const char* host_name : {"any object", "null", "instance", "polygon", "spline"}) {
        int32_t host_type = 0;
        if (host_type_by_name(host_name, host_type) && host_type == id)
            accepted["name"] = host_name;
    }
    if (!accepted.contains("name")) {
        if (const ObjectType* type = types.find(id)) accepted["name"] = type->description;
    }
    return accepted;
}

/// The value Init wrote, as a scene file writes it; null where it wrote none.
Json value_json(const DescriptionParameter& p, const Value* value) {
    if (value == nullptr) return nullptr;
    switch (value->type) {
    case VT_DTYPE_LONG:
        if (p.dtype == VT_DTYPE_BOOL) return value->integer != 0;
        return value->integer;
    case VT_DTYPE_REAL:
        return value->real;
    case VT_DTYPE_VECTOR:
        return Json::array({value->vector.x, value->vector.y, value->vector.z});
    case VT_DTYPE_STRING:
        return value->text;
    case VT_CUSTOMDATA_SPLINE: {
        const auto* curve = dynamic_cast<const SplineCurve*>(value->custom.get());
        if (curve == nullptr) return nullptr;
        Json knots = Json::array();
        for (int32_t k = 0; k < curve->knot_count(); ++k) {
            const VtSplineKnot* knot = curve->knot(k);
            knots.push_back(Json::array({knot->position.x, knot->position.y}));
        }
        return Json{{"knots", knots}};
    }
    default:
        return nullptr;
    }
}

Json entry_json(const TypeRegistry& types, const DescriptionResource& resource,
                const DescriptionEntry& entry, const SceneObject& object) {
    const DescriptionParameter& p = *entry.parameter;
    Json json{{"id", p.id}, {"symbol", p.symbol}, {"type", type_name(p.dtype)}};
    if (p.dtype == VT_DTYPE_LONG && !p.cycle.empty()) json["type"] = "choice";
    if (p.is_switch) json["type"] = "switch";
    const Value* label = entry.attributes.find(kDescName);
    json["label"] = label != nullptr ? label->text : p.label;
    if (p.group != 0) {
        const DescriptionParameter* group = resource.find(p.group);
        json["group"] = group != nullptr ? Json(group->symbol) : Json(p.group);
    }
    json["hidden"] = entry.attributes.get_bool(kDescHide);
    if (p.dtype == VT_DTYPE_GROUP) {
        json["open"] = entry.attributes.get_bool(kDescOpen);
        return json;
    }
    // An integer's range is whole numbers; it is written as such.
    const auto number = [&p](double value) {
        return p.dtype == VT_DTYPE_LONG ? Json(static_cast<int64_t>(value)) : Json(value);
    };
    if (p.min) json["min"] = number(*p.min);
    if (p.max) json["max"] = number(*p.max);
    if (p.step) json["step"] = number(*p.step);
    if (!p.unit.empty()) json["unit"] = p.unit;
    if (!p.cycle.empty()) {
        Json options = Json::array();
        for (const CycleOption& option : p.cycle)
            options.push_back(
                {{"symbol", option.symbol}, {"id", option.value}, {"label", option.label}});
        json["options"] = options;
    }
    if (p.dtype == VT_DTYPE_LINK || p.dtype == VT_CUSTOMDATA_INEXCLUDE) {
        Json accept = Json::array();
        for (int32_t id : p.accepted_types)
            accept.push_back(accepted_type_json(types, id));
        json["accept"] = accept;
    }
    if (p.dtype != VT_DTYPE_LINK && p.dtype != VT_CUSTOMDATA_INEXCLUDE)
        json["default"] = value_json(p, object.data().find(p.id));
    return json;
}

/// The scene file's short name of a plug-in type ("generator"), or its description name.
std::string scene_name(const TypeRegistry& types, const ObjectType& type) {
    for (const char* alias : {"world", "generator", "behaviour", "blend", "obstacle"}) {
        const Result<const ObjectType*> resolved = resolve_scene_type(types, alias, "");
        if (resolved && *resolved == &type) return alias;
    }
    return type.description;
}

} // namespace

void add_describe_options(CLI::App& verb, DescribeOptions& options) {
    verb.add_option("TYPE", options.type,
                    "the object type: its description name (ocrowdgenerator), scene file name "
                    "(generator), type id or display name; with --json, all types when left out")
        ->type_name("");
    verb.add_flag("--json", options.json,
                  "write the parameters as JSON: ids, symbols, types, groups, labels, ranges, "
                  "units, options, accepted types and defaults");
    add_plugin_option(verb, options.module_path);
}

Status check_describe_options(DescribeOptions& options, const std::vector<std::string>& leftover) {
    if (options.type.empty() && !options.json) return input_error("which object type?");
    if (!leftover.empty())
        return input_error("one object type at a time ('" + options.type + "' and '" +
                           leftover.front() + "')");
    return {};
}

namespace {

/// A new object of `type` in its own document, with its description built.
struct DescribedObject {
    std::unique_ptr<Document> document = std::make_unique<Document>();
    SceneObject* object = nullptr;
    DescriptionBuild description;
};

Status describe_object(PluginSession& session, const ObjectType& type, DescribedObject& out) {
    Result<SceneObject*> object = create_object(session.host().types(), type.id);
    if (!object) return object.error();
    out.object = *object;
    out.document->insert(out.object);
    if (!build_description(session.host(), *out.object, out.description))
        return failure(type.description + " refused to build its description");
    if (out.description.resource == nullptr)
        return failure("no description resource '" + type.description + "' was loaded");
    return {};
}

Json type_json(PluginSession& session, const ObjectType& type, const DescribedObject& described) {
    const TypeRegistry& types = session.host().types();
    Json json{{"description", type.description},
              {"id", type.id},
              {"name", type.name},
              {"scene_type", scene_name(types, type)},
              {"title", described.description.resource->label}};
    Json parameters = Json::array();
    for (const DescriptionEntry& entry : described.description.entries)
        parameters.push_back(
            entry_json(types, *described.description.resource, entry, *described.object));
    json["parameters"] = parameters;
    return json;
}

void print_table(const ObjectType& type, const DescribedObject& described) {
    std::printf("%s (%d, %s)\n", type.description.c_str(), type.id, type.name.c_str());
    std::printf("%-6s %-32s %-16s %-8s %-24s %s\n", "id", "symbol", "type", "shown", "value",
                "description");
    for (const DescriptionEntry& entry : described.description.entries) {
        const DescriptionParameter& p = *entry.parameter;
        const bool hidden = entry.attributes.get_bool(kDescHide);
        const std::string value =
            p.dtype == VT_DTYPE_GROUP ? "" : value_text(described.object->data().find(p.id));
        // The label the plug-in's strings give the parameter, and the unit of its value.
        const Value* label = entry.attributes.find(kDescName);
        std::string text = label != nullptr ? label->text : p.label;
        if (!p.unit.empty()) text += " [" + p.unit + "]";
        std::printf("%-6d %-32s %-16s %-8s %-24s %s\n", p.id, p.symbol.c_str(),
                    type_name(p.dtype).c_str(), hidden ? "hidden" : "shown", value.c_str(),
                    text.c_str());
    }
}

} // namespace

int describe_command(const DescribeOptions& options) {
    const std::string who = "vantri describe";
    PluginSession session;
    if (Status started = session.start(options.module_path); !started)
        return report_failure(who, started.error());
    const TypeRegistry& types = session.host().types();
    std::vector<const ObjectType*> wanted;
    if (options.type.empty()) {
        wanted = types.plugin_types();
    } else if (const ObjectType* type = find_type(types, options.type)) {
        wanted.push_back(type);
    } else {
        // Suggest the nearest of every name describe accepts; list the scene files' names.
        std::vector<std::string> names;
        std::string known_types;
        for (const ObjectType* known : types.plugin_types()) {
            names.push_back(scene_name(types, *known));
            names.push_back(known->description);
            names.push_back(known->name);
            known_types += " " + scene_name(types, *known);
        }
        return report_failure(who, input_error("no registered object type '" + options.type + "'" +
                                               did_you_mean(options.type, names) +
                                               "; known types:" + known_types));
    }
    Json all = Json::array();
    for (const ObjectType* type : wanted) {
        DescribedObject described;
        if (Status made = describe_object(session, *type, described); !made)
            return report_failure(who, made.error());
        if (!options.json)
            print_table(*type, described);
        else
            all.push_back(type_json(session, *type, described));
    }
    if (options.json) {
        // One type: its object; all types: {"types": [...]}, in registration order.
        const Json out = options.type.empty() ? Json{{"types", all}} : all.front();
        std::printf("%s\n", out.dump(1).c_str());
    }
    return ExitCode::Success;
}

} // namespace vantri
