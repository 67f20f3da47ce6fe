#include "plugin/hostapi/BaseContainer.h"

#include "plugin/hostapi/host_binding.h"

int32_t BaseContainer::GetLong(int32_t id, int32_t preset) const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return preset;
    return containers->get_int(Handle(), id, preset);
}

double BaseContainer::GetReal(int32_t id, double preset) const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return preset;
    return containers->get_real(Handle(), id, preset);
}

Bool BaseContainer::GetBool(int32_t id, Bool preset) const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return preset;
    return containers->get_bool(Handle(), id, preset) != 0;
}

LVector BaseContainer::GetVector(int32_t id) const {
    VtVector v{};
    if (const VtContainerTable* containers = vt::ContainerTable())
        containers->get_vector(Handle(), id, &v);
    return FromAbi(v);
}

ParameterNode* BaseContainer::GetLink(int32_t id, const BaseDocument* doc) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return nullptr;
    return reinterpret_cast<ParameterNode*>(containers->get_link(Handle(), id, document));
}

CustomDataType* BaseContainer::GetCustomDataType(int32_t id, int32_t type) const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return nullptr;
    return reinterpret_cast<CustomDataType*>(containers->get_custom(Handle(), id, type));
}

GeData BaseContainer::GetData(int32_t id) const {
    GeData result;
    VtData value{};
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return GeData();
    if (containers->get_data(Handle(), id, &value)) result.AdoptFromHost(value);
    return result;
}

Bool BaseContainer::SetData(int32_t id, const GeData& value) {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return FALSE;
    return containers->set_data(Handle(), id, &value.Abi()) != 0;
}
