#include "Description.h"

#include "host_binding.h"

#include <type_traits>

Bool Description::LoadDescription(int32_t type) {
    return vt::Tables()->descriptions->load(Handle(), type) != 0;
}

const DescID* Description::GetSingleDescID() {
    // DescID is a standard-layout wrapper whose only member is the host's VtDescId.
    static_assert(std::is_standard_layout<DescID>::value && sizeof(DescID) == sizeof(VtDescId),
                  "DescID must wrap VtDescId exactly");
    const VtDescId* single = vt::Tables()->descriptions->get_single_id(Handle());
    return reinterpret_cast<const DescID*>(single);
}

BaseContainer* Description::GetParameterI(const DescID& id, AtomArray* array) {
    return reinterpret_cast<BaseContainer*>(vt::Tables()->descriptions->get_parameter_i(
        Handle(), &id.Abi(), reinterpret_cast<VtAtomArray*>(array)));
}
