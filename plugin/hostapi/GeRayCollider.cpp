#include "plugin/hostapi/GeRayCollider.h"

#include "plugin/hostapi/host_binding.h"

GeRayCollider* GeRayCollider::Alloc() {
    const VtRayTable* rays = vt::RayTable();
    if (rays == nullptr) return nullptr;
    return reinterpret_cast<GeRayCollider*>(rays->alloc());
}

void GeRayCollider::Free(GeRayCollider*& collider) {
    const VtRayTable* rays = vt::RayTable();
    if (collider != nullptr && rays != nullptr) rays->free(collider->Handle());
    collider = nullptr;
}

Bool GeRayCollider::Init(BaseObject* object, Bool force) {
    const VtRayTable* rays = vt::RayTable();
    if (rays == nullptr) return FALSE;
    return rays->init(Handle(), object != nullptr ? object->Handle() : nullptr, force ? 1 : 0);
}

Bool GeRayCollider::Intersect(const LVector& start, const LVector& direction, double length,
                              Bool only_test) {
    const VtVector s = ToAbi(start), d = ToAbi(direction);
    const VtRayTable* rays = vt::RayTable();
    if (rays == nullptr) return FALSE;
    return rays->intersect(Handle(), &s, &d, length, only_test ? 1 : 0);
}

Bool GeRayCollider::GetNearestIntersection(RayHit* result) {
    VtRayHit hit{};
    const VtRayTable* rays = vt::RayTable();
    if (rays == nullptr || result == nullptr || !rays->get_nearest(Handle(), &hit)) return FALSE;
    result->position = FromAbi(hit.position);
    result->distance = hit.distance;
    result->face_normal = FromAbi(hit.face_normal);
    result->face = hit.face;
    result->backface = hit.backface ? TRUE : FALSE;
    return TRUE;
}
