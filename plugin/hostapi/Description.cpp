#include "plugin/hostapi/Description.h"

#include "plugin/hostapi/host_binding.h"

#include <type_traits>

Bool Description::LoadDescription(int32_t type) {
    const VtDescriptionTable* descriptions = vt::DescriptionTable();
    if (descriptions == nullptr) return FALSE;
    return descriptions->load(Handle(), type) != 0;
}

const DescID* Description::GetSingleDescID() {
    // DescID is a standard-layout wrapper whose only member is the host's VtDescId.
    static_assert(std::is_standard_layout<DescID>::value && sizeof(DescID) == sizeof(VtDescId),
                  "DescID must wrap VtDescId exactly");
    const VtDescriptionTable* descriptions = vt::DescriptionTable();
    if (descriptions == nullptr) return nullptr;
    const VtDescId* single = descriptions->get_single_id(Handle());
    return reinterpret_cast<const DescID*>(single);
}

BaseContainer* Description::GetParameterI(const DescID& id, AtomArray* array) {
    const VtDescriptionTable* descriptions = vt::DescriptionTable();
    if (descriptions == nullptr) return nullptr;
    return reinterpret_cast<BaseContainer*>(
        descriptions->get_parameter_i(Handle(), &id.Abi(), reinterpret_cast<VtAtomArray*>(array)));
}
