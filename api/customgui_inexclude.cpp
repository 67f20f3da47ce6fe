#include "customgui_inexclude.h"

#include "host_binding.h"

LONG InExcludeData::GetObjectCount() const {
    return vt::Host()->containers->in_exclude_get_count(Handle());
}

BaseList2D* InExcludeData::ObjectFromIndex(const BaseDocument* doc, LONG i) const {
    VtAtom* document = reinterpret_cast<VtAtom*>(const_cast<BaseDocument*>(doc));
    return reinterpret_cast<BaseList2D*>(
        vt::Host()->containers->in_exclude_get_object(Handle(), i, document));
}
