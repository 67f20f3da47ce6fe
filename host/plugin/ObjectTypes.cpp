#include "host/plugin/ObjectTypes.h"

#include "host/draw/Bitmap.h"

#include <algorithm>

namespace vantri {

TypeRegistry::TypeRegistry() {
    const auto host_type = [this](int32_t id, const char* name) {
        auto type = std::make_unique<ObjectType>();
        type->id = id;
        type->name = name;
        types_.push_back(std::move(type));
    };
    host_type(kNullType, "Null");
    host_type(kInstanceType, "Instance");
    host_type(kCubeType, "Cube");
    host_type(kPolygonType, "Polygon");
    host_type(kSplineType, "Spline");
    host_type(kPlaneType, "Plane");
    host_type(kSphereType, "Sphere");
}

Status TypeRegistry::add(const VtObjectRegistration& registration) {
    if (registration.size < sizeof(VtObjectRegistration) || registration.callbacks == nullptr ||
        registration.callbacks->size < sizeof(VtObjectCallbacks) || registration.name == nullptr ||
        registration.description == nullptr) {
        return failure("incomplete registration record");
    }
    if (find(registration.id) != nullptr)
        return failure("type id " + std::to_string(registration.id) + " is already registered");
    if (std::find(refused_.begin(), refused_.end(), registration.id) != refused_.end())
        return failure("type id " + std::to_string(registration.id) + " is refused by this host");
    auto type = std::make_unique<ObjectType>();
    type->id = registration.id;
    type->name = registration.name;
    type->info_flags = registration.info_flags;
    type->description = registration.description;
    type->disk_level = registration.disk_level;
    type->callbacks = registration.callbacks;
    type->type_data = registration.type_data;
    if (registration.icon != nullptr) {
        type->icon = reinterpret_cast<const Bitmap*>(registration.icon)->to_image();
        type->has_icon = true;
    }
    types_.push_back(std::move(type));
    return {};
}

const ObjectType* TypeRegistry::find(int32_t id) const {
    for (const auto& type : types_) {
        if (type->id == id) return type.get();
    }
    return nullptr;
}

const ObjectType* TypeRegistry::find_by_description(const std::string& description) const {
    for (const auto& type : types_) {
        if (type->is_plugin() && type->description == description) return type.get();
    }
    return nullptr;
}

std::vector<const ObjectType*> TypeRegistry::plugin_types() const {
    std::vector<const ObjectType*> result;
    for (const auto& type : types_) {
        if (type->is_plugin()) result.push_back(type.get());
    }
    return result;
}

void TypeRegistry::clear_plugin_types() {
    types_.erase(std::remove_if(types_.begin(), types_.end(),
                                [](const auto& type) { return type->is_plugin(); }),
                 types_.end());
}

} // namespace vantri
