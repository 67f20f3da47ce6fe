#include "c4d_basecontainer.h"

#include "host_binding.h"

LONG BaseContainer::GetLong(LONG id, LONG preset) const {
    return vt::Host()->containers->get_int(Handle(), id, preset);
}

Real BaseContainer::GetReal(LONG id, Real preset) const {
    return vt::Host()->containers->get_real(Handle(), id, preset);
}

Bool BaseContainer::GetBool(LONG id, Bool preset) const {
    return vt::Host()->containers->get_bool(Handle(), id, preset) != 0;
}

LVector BaseContainer::GetVector(LONG id) const {
    VtVector v{};
    vt::Host()->containers->get_vector(Handle(), id, &v);
    return FromAbi(v);
}

BaseList2D* BaseContainer::GetLink(LONG id, const BaseDocument* doc) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    return reinterpret_cast<BaseList2D*>(vt::Host()->containers->get_link(Handle(), id, document));
}

CustomDataType* BaseContainer::GetCustomDataType(LONG id, LONG type) const {
    return reinterpret_cast<CustomDataType*>(vt::Host()->containers->get_custom(Handle(), id, type));
}

GeData BaseContainer::GetData(LONG id) const {
    GeData result;
    VtData value{};
    if (vt::Host()->containers->get_data(Handle(), id, &value)) result.AdoptFromHost(value);
    return result;
}

Bool BaseContainer::SetData(LONG id, const GeData& value) {
    return vt::Host()->containers->set_data(Handle(), id, &value.Abi()) != 0;
}
