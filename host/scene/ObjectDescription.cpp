#include "host/scene/ObjectDescription.h"

#include "host/Host.h"

namespace vantri {

bool DescriptionBuild::load(const Host& host, int32_t type) {
    const ObjectType* object_type = host.types().find(type);
    if (object_type == nullptr || object_type->description.empty()) return false;
    const DescriptionResource* found = host.find_description(object_type->description);
    if (found == nullptr) return false;
    resource = found;
    entries.clear();
    for (const DescriptionParameter& parameter : found->parameters) {
        DescriptionEntry entry;
        entry.parameter = &parameter;
        entry.attributes.set(kDescName, Value::of_string(parameter.label));
        entry.attributes.set(kDescHide, Value::of_int(parameter.hidden ? 1 : 0));
        if (parameter.dtype == VT_DTYPE_GROUP)
            entry.attributes.set(kDescOpen, Value::of_int(parameter.open ? 1 : 0));
        entries.push_back(std::move(entry));
    }
    return true;
}

DescriptionEntry* DescriptionBuild::find(int32_t id) {
    for (DescriptionEntry& entry : entries) {
        if (entry.parameter->id == id) return &entry;
    }
    return nullptr;
}

bool DescriptionBuild::hidden(int32_t id) const {
    for (const DescriptionEntry& entry : entries) {
        if (entry.parameter->id == id) return entry.attributes.get_bool(kDescHide);
    }
    return false;
}

bool DescriptionBuild::open(int32_t id) const {
    for (const DescriptionEntry& entry : entries) {
        if (entry.parameter->id == id) return entry.attributes.get_bool(kDescOpen);
    }
    return false;
}

bool build_description(const Host& host, SceneObject& object, DescriptionBuild& out,
                       const VtDescId* single) {
    out = DescriptionBuild();
    if (single != nullptr) out.single = *single;
    int32_t flags = 0;
    if (const ObjectType* type = object.object_type()) {
        if (!type->callbacks->get_description(object.instance(), object.handle(), out.handle(),
                                              &flags))
            return false;
    }
    if ((flags & kDescriptionLoaded) == 0) out.load(host, object.type());
    return true;
}

} // namespace vantri
