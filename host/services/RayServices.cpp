// The polygon ray collider.
#include "host/services/Services.h"

#include "host/geometry/RayCollider.h"
#include "host/memory/Allocator.h"
#include "host/scene/SceneObject.h"

#include <new>

namespace vantri {

namespace {

RayCollider* collider_of(VtRayCollider* c) {
    return reinterpret_cast<RayCollider*>(c);
}

VtRayCollider* alloc() {
    if (!allocator().admit(sizeof(RayCollider))) return nullptr;
    RayCollider* collider = new (std::nothrow) RayCollider;
    if (collider == nullptr) {
        allocator().retire(sizeof(RayCollider));
        return nullptr;
    }
    return reinterpret_cast<VtRayCollider*>(collider);
}

void free_collider(VtRayCollider* c) {
    if (c == nullptr) return;
    delete collider_of(c);
    allocator().retire(sizeof(RayCollider));
}

int32_t init(VtRayCollider* c, VtAtom* object, int32_t force) {
    if (c == nullptr) return 0;
    return collider_of(c)->init(SceneObject::from(object), force != 0) ? 1 : 0;
}

int32_t intersect(VtRayCollider* c, const VtVector* start, const VtVector* direction, double length,
                  int32_t only_test) {
    if (c == nullptr || start == nullptr || direction == nullptr) return 0;
    return collider_of(c)->intersect(*start, *direction, length, only_test != 0) ? 1 : 0;
}

int32_t get_nearest(VtRayCollider* c, VtRayHit* out) {
    TriangleHit hit;
    if (c == nullptr || out == nullptr || !collider_of(c)->nearest(hit)) return 0;
    out->position = hit.position;
    out->distance = hit.distance;
    out->face_normal = hit.face_normal;
    out->face = hit.face;
    out->backface = hit.backface ? 1 : 0;
    return 1;
}

const VtRayTable kTable = {
    sizeof(VtRayTable), alloc, free_collider, init, intersect, get_nearest,
};

} // namespace

const VtRayTable* ray_table() {
    return &kTable;
}

} // namespace vantri
