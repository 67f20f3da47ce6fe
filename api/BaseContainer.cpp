#include "BaseContainer.h"

#include "host_binding.h"

int32_t BaseContainer::GetLong(int32_t id, int32_t preset) const {
    return vt::Tables()->containers->get_int(Handle(), id, preset);
}

double BaseContainer::GetReal(int32_t id, double preset) const {
    return vt::Tables()->containers->get_real(Handle(), id, preset);
}

Bool BaseContainer::GetBool(int32_t id, Bool preset) const {
    return vt::Tables()->containers->get_bool(Handle(), id, preset) != 0;
}

LVector BaseContainer::GetVector(int32_t id) const {
    VtVector v{};
    vt::Tables()->containers->get_vector(Handle(), id, &v);
    return FromAbi(v);
}

ParameterNode* BaseContainer::GetLink(int32_t id, const BaseDocument* doc) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    return reinterpret_cast<ParameterNode*>(
        vt::Tables()->containers->get_link(Handle(), id, document));
}

CustomDataType* BaseContainer::GetCustomDataType(int32_t id, int32_t type) const {
    return reinterpret_cast<CustomDataType*>(
        vt::Tables()->containers->get_custom(Handle(), id, type));
}

GeData BaseContainer::GetData(int32_t id) const {
    GeData result;
    VtData value{};
    if (vt::Tables()->containers->get_data(Handle(), id, &value)) result.AdoptFromHost(value);
    return result;
}

Bool BaseContainer::SetData(int32_t id, const GeData& value) {
    return vt::Tables()->containers->set_data(Handle(), id, &value.Abi()) != 0;
}
