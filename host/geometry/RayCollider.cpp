#include "host/geometry/RayCollider.h"

#include "host/memory/Allocator.h"
#include "host/scene/SceneObject.h"
#include "host/scene/Transform.h"

#include <cmath>

namespace vantri {

RayCollider::~RayCollider() {
    forget();
}

void RayCollider::forget() {
    ready_ = false;
    has_hit_ = false;
    serial_ = mark_ = 0;
    bvh_.reset();
    if (counted_bytes_ != 0) allocator().retire(counted_bytes_);
    counted_bytes_ = 0;
}

bool RayCollider::init(SceneObject* object, bool force) {
    has_hit_ = false;
    if (object == nullptr || object->mesh() == nullptr) {
        forget();
        return false;
    }
    if (ready_ && !force && serial_ == object->serial() && mark_ == object->geometry_mark())
        return true;
    forget();
    std::shared_ptr<const TriangleBvh> bvh = object->ray_hierarchy(force);
    // The hierarchy the collider holds counts as the plug-in's memory, and may be refused.
    const size_t bytes = bvh->bytes() + 1;
    if (!allocator().admit(bytes)) return false;
    counted_bytes_ = bytes;
    bvh_ = std::move(bvh);
    serial_ = object->serial();
    mark_ = object->geometry_mark();
    ready_ = true;
    return true;
}

bool RayCollider::intersect(const VtVector& start, const VtVector& direction, double length,
                            bool only_test) {
    has_hit_ = false;
    if (!ready_) return false;
    const double len = vantri::length(direction);
    if (!(len > 0.0) || !std::isfinite(len) || !(length >= 0.0)) return false;
    const VtVector unit = direction * (1.0 / len);
    has_hit_ = bvh_->intersect(start, unit, length, only_test, hit_);
    return has_hit_;
}

bool RayCollider::nearest(TriangleHit& out) const {
    if (!has_hit_) return false;
    out = hit_;
    return true;
}

} // namespace vantri
