#include "host/draw/DisplayList.h"

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

} // namespace vantri
