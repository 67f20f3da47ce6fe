#include "draw/DisplayList.h"

namespace vantri {

std::vector<const DrawItem*> DisplayList::of(const SceneObject* object, DrawPass pass) const {
    std::vector<const DrawItem*> found;
    for (const DrawItem& item : items) {
        if (item.object == object && item.pass == pass) found.push_back(&item);
    }
    return found;
}

int32_t DisplayList::result_of(const SceneObject* object, DrawPass pass) const {
    for (const DrawCall& call : calls) {
        if (call.object == object && call.pass == pass) return call.result;
    }
    return -1;
}

VtVector apply(const VtMatrix& m, const VtVector& p) {
    return VtVector{m.off.x + p.x * m.v1.x + p.y * m.v2.x + p.z * m.v3.x,
                    m.off.y + p.x * m.v1.y + p.y * m.v2.y + p.z * m.v3.y,
                    m.off.z + p.x * m.v1.z + p.y * m.v2.z + p.z * m.v3.z};
}

} // namespace vantri
