#include "InExcludeData.h"

#include "host_binding.h"

int32_t InExcludeData::GetObjectCount() const {
    return vt::Tables()->containers->in_exclude_get_count(Handle());
}

ParameterNode* InExcludeData::ObjectFromIndex(const BaseDocument* doc, int32_t i) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    return reinterpret_cast<ParameterNode*>(
        vt::Tables()->containers->in_exclude_get_object(Handle(), i, document));
}
