// Where a ray from an agent first meets a sphere or an oriented box.
//
// The intersectors are built on the caller's stack for one probe ray: they refer to their ray
// and shape (copying neither, so they must not outlive them), allocate nothing and use
// closed-form arithmetic only. Test is a cheap yes/no; Find computes the points.
#pragma once

#include "plugin/hostapi/MathTypes.h"

/// The ray origin + t * direction for t >= 0. The direction is used as given; callers pass a
/// unit vector (or zero), and ray parameters are in units of its length.
struct OC_Ray3 {
    LVector origin;
    LVector direction;
};

/// A sphere; every user sets the radius.
struct OC_Sphere3 {
    LVector center;
    double radius = 0.0;
};

/// An oriented box: X lies inside when |(X - center) . axis[i]| <= extent[i] for i = 0, 1, 2.
/// The axes are expected to be unit length and mutually orthogonal, the extents >= 0.
struct OC_Box3 {
    LVector center;
    LVector axis[3];
    double extent[3] = {0.0, 0.0, 0.0};
};

/// A ray against a sphere.
class OC_IntrRay3Sphere3 {
  public:
    OC_IntrRay3Sphere3(const OC_Ray3& ray, const OC_Sphere3& sphere) : ray_(ray), sphere_(sphere) {}

    /// Whether the ray meets the sphere; writes nothing.
    bool Test() const;
    /// Computes the intersection: one point (the exit) when the origin is inside or on the
    /// sphere, two (entry first) for a chord, one for a tangent. True when any was found.
    bool Find();

    int GetQuantity() const { return quantity_; }
    /// 0 none, 1 one point, 2 a chord; equal to GetQuantity after Find.
    int GetIntersectionType() const { return intersection_kind_; }
    /// Entries below GetQuantity are meaningful; i is 0 or 1.
    const LVector& GetPoint(int i) const { return point_[i]; }
    double GetRayParameter(int i) const { return ray_parameter_[i]; }
    const OC_Ray3& GetRay() const { return ray_; }
    const OC_Sphere3& GetSphere() const { return sphere_; }

  private:
    const OC_Ray3& ray_;
    const OC_Sphere3& sphere_;
    int quantity_ = 0;
    LVector point_[2];
    double ray_parameter_[2] = {0.0, 0.0};
    int intersection_kind_ = 0;
};

/// A ray against a solid oriented box.
class OC_IntrRay3Box3 {
  public:
    OC_IntrRay3Box3(const OC_Ray3& ray, const OC_Box3& box) : ray_(ray), box_(box) {}

    /// Whether the ray meets the solid box (separating axes); writes nothing.
    bool Test() const;
    /// Clips the ray to the box: two points for a segment (the first is the origin when the
    /// origin is inside), one when the ray only touches it. True when any was found.
    bool Find();

    /// Clips the parameter interval [t0, t1] (t0 < t1) of the line origin + t * direction to
    /// the box. Writes the points and their number; returns kind != 0 (1 a point, 2 a segment).
    static bool DoClipping(double t0, double t1, const LVector& origin, const LVector& direction,
                           const OC_Box3& box, bool solid, int& quantity, LVector* points,
                           int& kind);
    /// Clips [t0, t1] against the half-space denom * t >= numer; false when all of it lies
    /// outside.
    static bool Clip(double denom, double numer, double& t0, double& t1);

    int GetQuantity() const { return quantity_; }
    /// 0 empty, 1 a single point, 2 a segment.
    int GetIntersectionType() const { return intersection_kind_; }
    const LVector& GetPoint(int i) const { return point_[i]; }
    const OC_Ray3& GetRay() const { return ray_; }
    const OC_Box3& GetBox() const { return box_; }

  private:
    const OC_Ray3& ray_;
    const OC_Box3& box_;
    int quantity_ = 0;
    int intersection_kind_ = 0;
    LVector point_[2];
};
