// vantri describe TYPE: the parameters of a new object of a plug-in type, as its description
// shows them after Init.
#include "app/Commands.h"
#include "app/PluginSession.h"

#include "host/scene/Document.h"
#include "host/scene/ObjectDescription.h"
#include "host/scene/ObjectFactory.h"

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

} // namespace

void add_describe_options(CLI::App& verb, DescribeOptions& options) {
    verb.add_option("TYPE", options.type,
                    "the object type: its description name (ocrowdgenerator), type id or "
                    "display name")
        ->type_name("");
    add_plugin_option(verb, options.module_path);
}

Status check_describe_options(DescribeOptions& options, const std::vector<std::string>& leftover) {
    if (options.type.empty()) return input_error("which object type?");
    if (!leftover.empty())
        return input_error("one object type at a time ('" + options.type + "' and '" +
                           leftover.front() + "')");
    return {};
}

int describe_command(const DescribeOptions& options) {
    const std::string& module_path = options.module_path;
    const std::vector<std::string> args{options.type};
    const std::string who = "vantri describe";
    PluginSession session;
    if (Status started = session.start(module_path); !started)
        return report_failure(who, started.error());
    const ObjectType* type = find_type(session.host().types(), args[0]);
    if (type == nullptr) {
        std::string known_types;
        for (const ObjectType* known : session.host().types().plugin_types())
            known_types += " " + known->description;
        return report_failure(who, input_error("no registered object type '" + args[0] +
                                               "'; known types:" + known_types));
    }
    auto document = std::make_unique<Document>();
    Result<SceneObject*> object = create_object(session.host().types(), type->id);
    if (!object) return report_failure(who, object.error());
    document->insert(*object);
    DescriptionBuild description;
    if (!build_description(session.host(), **object, description))
        return report_failure(who,
                              failure(type->description + " refused to build its description"));
    if (description.resource == nullptr)
        return report_failure(
            who, failure("no description resource '" + type->description + "' was loaded"));
    std::printf("%s (%d, %s)\n", type->description.c_str(), type->id, type->name.c_str());
    std::printf("%-6s %-32s %-16s %-8s %s\n", "id", "symbol", "type", "shown", "value");
    for (const DescriptionEntry& entry : description.entries) {
        const DescriptionParameter& p = *entry.parameter;
        const bool hidden = entry.attributes.get_bool(kDescHide);
        const std::string value =
            p.dtype == VT_DTYPE_GROUP ? "" : value_text((*object)->data().find(p.id));
        std::printf("%-6d %-32s %-16s %-8s %s\n", p.id, p.symbol.c_str(),
                    type_name(p.dtype).c_str(), hidden ? "hidden" : "shown", value.c_str());
    }
    return 0;
}

} // namespace vantri
