#include "scenefile/SceneTypes.h"

#include "host/geometry/Primitives.h"
#include "scenefile/NearestName.h"
#include "scenefile/SceneGeometry.h"

#include <memory>

namespace vantri {

namespace {

struct NamedType {
    const char* name;
    const char* description;
};

// The plug-in's types by their short names.
const NamedType kAliases[] = {
    {"world", "ocrowdworld"}, {"generator", "ocrowdgenerator"}, {"behaviour", "ocrowdbehav"},
    {"blend", "ocrowdBlend"}, {"obstacle", "ocrowdobstacle"},
};

struct HostPrimitive {
    const char* name;
    int32_t type; // 0: not made by this host yet
};

const HostPrimitive kPrimitives[] = {
    {"null", kNullType},   {"cube", kCubeType},       {"sphere", kSphereType},
    {"plane", kPlaneType}, {"polygon", kPolygonType}, {"spline", kSplineType},
};

/// A cube's edge lengths when the file gives none.
constexpr VtVector kDefaultCubeSize{200.0, 200.0, 200.0};

std::string known_names(const TypeRegistry& types) {
    std::string list;
    for (const NamedType& alias : kAliases)
        list += std::string(list.empty() ? "" : ", ") + alias.name;
    for (const ObjectType* type : types.plugin_types())
        list += ", " + type->description;
    for (const HostPrimitive& primitive : kPrimitives) {
        if (primitive.type != 0) list += std::string(", ") + primitive.name;
    }
    return list;
}

} // namespace

Result<const ObjectType*> resolve_scene_type(const TypeRegistry& types, const std::string& name,
                                             const std::string& path) {
    std::string description = name;
    for (const NamedType& alias : kAliases) {
        if (name == alias.name) description = alias.description;
    }
    if (const ObjectType* type = types.find_by_description(description)) return type;
    for (const HostPrimitive& primitive : kPrimitives) {
        if (name != primitive.name) continue;
        const ObjectType* type = primitive.type != 0 ? types.find(primitive.type) : nullptr;
        if (type == nullptr)
            return scene_error(path, "this host cannot make '" + name + "' objects yet");
        return type;
    }
    if (description != name)
        return plugin_scene_error(path, "the plug-in registered no type '" + description +
                                            "' (for '" + name + "')");
    std::vector<std::string> names;
    for (const NamedType& alias : kAliases)
        names.emplace_back(alias.name);
    for (const ObjectType* type : types.plugin_types())
        names.push_back(type->description);
    for (const HostPrimitive& primitive : kPrimitives)
        names.emplace_back(primitive.name);
    const std::string nearest = nearest_name(name, names);
    if (!nearest.empty())
        return scene_error(path, "unknown type '" + name + "' (did you mean '" + nearest + "'?)");
    return scene_error(path,
                       "unknown type '" + name + "' (known types: " + known_names(types) + ")");
}

Status shape_object(SceneObject& object, const SceneObjectEntry& entry) {
    if (object.type() == kCubeType) {
        const VtVector size = entry.size.value_or(kDefaultCubeSize);
        if (size.x < 0 || size.y < 0 || size.z < 0)
            return scene_error(json_path(entry.path, "size"), "a cube's size cannot be negative");
        object.set_radius(VtVector{size.x / 2, size.y / 2, size.z / 2});
        object.set_mesh(std::make_shared<Mesh>(make_cube(size)));
        return build_geometry(object, entry);
    }
    if (entry.size) return scene_error(json_path(entry.path, "size"), "only cubes have a \"size\"");
    return build_geometry(object, entry);
}

} // namespace vantri
