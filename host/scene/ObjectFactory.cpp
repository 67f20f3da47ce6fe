#include "host/scene/ObjectFactory.h"

namespace vantri {

void AliasMap::translate() {
    for (const auto& pair : copies) {
        Atom* copy = Atom::find_serial(pair.second);
        if (copy == nullptr) continue;
        for (const auto& entry : copy->data().entries()) {
            if (entry.second.type != VT_DTYPE_LINK) continue;
            for (const auto& other : copies) {
                if (other.first == entry.second.link) {
                    copy->data().find(entry.first)->link = other.second;
                    break;
                }
            }
        }
    }
}

Result<SceneObject*> create_object(const TypeRegistry& types, int32_t type) {
    const ObjectType* object_type = types.find(type);
    if (object_type == nullptr) return failure("unknown object type " + std::to_string(type));
    auto* object = new SceneObject(type);
    object->set_name(object_type->name);
    if (!object_type->is_plugin()) return object;
    VtNodeData* instance = object_type->callbacks->alloc(object_type->type_data);
    if (instance == nullptr) {
        delete object;
        return failure("the plug-in could not allocate a " + object_type->name);
    }
    object->attach_instance(object_type, instance);
    if (!object_type->callbacks->init(instance, object->handle())) {
        delete object;
        return failure("the plug-in could not initialise a " + object_type->name);
    }
    return object;
}

SceneObject* clone_object(const TypeRegistry& types, const SceneObject& original,
                          AliasMap* aliases) {
    const Result<SceneObject*> made = create_object(types, original.type());
    if (!made) return nullptr;
    SceneObject* copy = *made;
    copy->set_name(original.name());
    copy->data() = original.data();
    copy->copy_transform_from(original);
    if (const ObjectType* type = original.object_type()) {
        if (!type->callbacks->copy_to(original.instance(), copy->instance(),
                                      const_cast<SceneObject&>(original).handle(), copy->handle(),
                                      0, nullptr)) {
            delete copy;
            return nullptr;
        }
    }
    if (aliases != nullptr) aliases->copies.emplace_back(original.serial(), copy->serial());
    for (Atom* child = original.first_child(); child != nullptr; child = child->next()) {
        const SceneObject* object = SceneObject::from(child);
        if (object == nullptr) continue;
        SceneObject* child_copy = clone_object(types, *object, aliases);
        if (child_copy == nullptr) {
            delete copy;
            return nullptr;
        }
        child_copy->insert_under_last(copy);
    }
    return copy;
}

} // namespace vantri
