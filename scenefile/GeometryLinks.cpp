#include "scenefile/GeometryLinks.h"

#include <unordered_map>

namespace vantri {

namespace {

struct GeometryLink {
    int32_t type; ///< the type holding the link
    int32_t id;   ///< the link parameter
    const char* symbol;
    int32_t shape_id; ///< a choice that must hold `shape` for the link to be used; 0: none
    int32_t shape;
    const char* what; ///< what the link would have done
};

constexpr GeometryLink kGeometryLinks[] = {
    {VT_CROWD_TYPE_WORLD, 1000, "CROWDWORLD_TERRAIN", 0, 0, "the agents will find no ground"},
    {VT_CROWD_TYPE_OBSTACLE, 1013, "CROWDOBSTACLE_OBJECT", 1000, 1005,
     "the agents will never meet this obstacle"},
};

// A plug-in type by its description name, a host type as the file wrote it.
std::string type_name(const BuiltObject& object) {
    const ObjectType* type = object.object->object_type();
    return type != nullptr && !type->description.empty() ? type->description : object.entry->type;
}

} // namespace

std::vector<std::string> geometry_link_warnings(const std::vector<BuiltObject>& built) {
    std::unordered_map<uint64_t, const BuiltObject*> by_serial;
    for (const BuiltObject& object : built)
        by_serial[object.object->serial()] = &object;
    std::vector<std::string> warnings;
    for (const BuiltObject& object : built) {
        for (const GeometryLink& link : kGeometryLinks) {
            if (object.object->type() != link.type) continue;
            const Value* target = object.object->data().find(link.id);
            if (target == nullptr || target->type != VT_DTYPE_LINK) continue;
            const auto found = by_serial.find(target->link);
            if (found == by_serial.end() || found->second->object->mesh() != nullptr) continue;
            if (link.shape_id != 0) {
                const Value* shape = object.object->data().find(link.shape_id);
                if (shape == nullptr || shape->integer != link.shape) continue;
            }
            // The parameter's place in the file, or the object's when --set gave it.
            std::string path = object.entry->path;
            for (const SceneParameter& param : object.entry->params) {
                if (param.key == link.symbol || param.key == std::to_string(link.id))
                    path = param.path;
            }
            warnings.push_back(path + ": object '" + object.object->name() + "' (" +
                               type_name(object) + "): " + link.symbol + " links to '" +
                               found->second->object->name() + "' (" + type_name(*found->second) +
                               "), which has no polygons: " + link.what);
        }
    }
    return warnings;
}

} // namespace vantri
