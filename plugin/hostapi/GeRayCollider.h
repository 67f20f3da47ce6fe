// The host's polygon ray collider, through its handle.
#pragma once

#include "plugin/hostapi/BaseObject.h"

/// The nearest hit of a ray, in the collided object's own space: the point, its distance
/// from the ray's start, the unit normal of the face hit, the face's index and whether the
/// ray met the face from behind.
struct RayHit {
    LVector position;
    double distance = 0.0;
    LVector face_normal;
    int32_t face = -1;
    Bool backface = FALSE;
};

/// Rays against one object's polygons. Owned by the caller from Alloc to Free.
class GeRayCollider {
  public:
    GeRayCollider() = delete;
    ~GeRayCollider() = delete;
    /// A new collider, or null when memory is short.
    static GeRayCollider* Alloc();
    static void Free(GeRayCollider*& collider);
    /// Prepares rays against `object` (a polygon object or a primitive). The host keeps what
    /// it built while the object's geometry is unchanged, unless `force`. False for an object
    /// without polygons; every ray then fails until the next successful Init.
    Bool Init(BaseObject* object, Bool force = FALSE);
    /// A ray in the object's own space from `start` along `direction` up to `length`; with
    /// `only_test` it stops at the first hit found. True when it hit something.
    Bool Intersect(const LVector& start, const LVector& direction, double length,
                   Bool only_test = FALSE);
    /// The nearest hit of the last Intersect; false when it hit nothing.
    Bool GetNearestIntersection(RayHit* result);

  private:
    VtRayCollider* Handle() { return reinterpret_cast<VtRayCollider*>(this); }
};
