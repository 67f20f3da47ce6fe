// The host's ray collider, as the plug-in holds it: a hold on the hierarchy of one object's
// polygons and the nearest hit of the last ray. The object keeps its hierarchy until its
// geometry changes, so a new collider on the same object, or the same collider initialised
// again every frame, builds nothing.
#pragma once

#include "host/geometry/TriangleBvh.h"

#include <cstdint>
#include <memory>

namespace vantri {

class SceneObject;

class RayCollider {
  public:
    RayCollider() = default;
    ~RayCollider();
    RayCollider(const RayCollider&) = delete;
    RayCollider& operator=(const RayCollider&) = delete;

    /// Prepares rays against `object`'s polygons, with the object's hierarchy (rebuilt when
    /// `force` is set). False for an object without polygons or when the host refuses the
    /// memory; rays then fail until the next successful init.
    bool init(SceneObject* object, bool force);
    /// A ray in the object's own space from `start` along `direction` (normalised here) up
    /// to `length`. With only_test it stops at the first hit found. False when nothing is hit,
    /// the direction is zero or not finite, or the collider is not initialised.
    bool intersect(const VtVector& start, const VtVector& direction, double length, bool only_test);
    /// The nearest hit of the last intersect (any hit with only_test); false when it hit
    /// nothing.
    bool nearest(TriangleHit& out) const;

    bool ready() const { return ready_; }

  private:
    void forget();

    std::shared_ptr<const TriangleBvh> bvh_;
    bool ready_ = false;
    uint64_t serial_ = 0;
    uint64_t mark_ = 0;
    size_t counted_bytes_ = 0;
    bool has_hit_ = false;
    TriangleHit hit_;
};

} // namespace vantri
