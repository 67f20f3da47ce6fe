#include "plugin/hostapi/InExcludeData.h"

#include "plugin/hostapi/host_binding.h"

int32_t InExcludeData::GetObjectCount() const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return 0;
    return containers->in_exclude_get_count(Handle());
}

ParameterNode* InExcludeData::ObjectFromIndex(const BaseDocument* doc, int32_t i) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return nullptr;
    return reinterpret_cast<ParameterNode*>(
        containers->in_exclude_get_object(Handle(), i, document));
}
