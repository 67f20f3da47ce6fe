#include "plugin/geometry/RayIntersection.h"

#include <cmath>

// Ray against sphere. With D the direction and Delta = origin - center, the points of the ray
// on the sphere solve t^2 + 2 a1 t + a0 = 0 for a unit D, where a0 = Delta.Delta - r^2 and
// a1 = D.Delta. An origin inside or on the sphere (a0 <= 0) always meets it; one outside meets
// it only when it heads towards the centre (a1 < 0) and the discriminant a1^2 - a0 is not
// negative.

bool OC_IntrRay3Sphere3::Test() const {
    const LVector diff = ray_.origin - sphere_.center;
    const double a0 = diff * diff - sphere_.radius * sphere_.radius;
    if (a0 <= 0.0) return true;
    const double a1 = ray_.direction * diff;
    if (a1 >= 0.0) return false;
    return a1 * a1 >= a0;
}

bool OC_IntrRay3Sphere3::Find() {
    const LVector& origin = ray_.origin;
    const LVector& dir = ray_.direction;
    const LVector diff = origin - sphere_.center;
    const double a0 = diff * diff - sphere_.radius * sphere_.radius;
    const double a1 = dir * diff;

    if (a0 <= 0.0) {
        // Inside or on the sphere: the one point is where the ray leaves it.
        const double t = std::sqrt(a1 * a1 - a0) - a1;
        ray_parameter_[0] = t;
        point_[0] = origin + t * dir;
        quantity_ = intersection_kind_ = 1;
        return true;
    }
    if (a1 >= 0.0) {
        quantity_ = intersection_kind_ = 0;
        return false;
    }

    const double discr = a1 * a1 - a0;
    if (discr < 0.0) {
        quantity_ = intersection_kind_ = 0;
    } else if (discr >= 1e-6) {
        const double root = std::sqrt(discr);
        ray_parameter_[0] = -a1 - root;
        ray_parameter_[1] = -a1 + root;
        point_[0] = origin + ray_parameter_[0] * dir;
        point_[1] = origin + ray_parameter_[1] * dir;
        quantity_ = intersection_kind_ = 2;
    } else {
        ray_parameter_[0] = -a1;
        point_[0] = origin + ray_parameter_[0] * dir;
        quantity_ = intersection_kind_ = 1;
    }
    return quantity_ > 0;
}

// Ray against box, by separating axes. A ray misses the box when, along some axis, the
// origin lies outside the box's slab and the ray does not head back into it; or when the
// projections of ray and box on one of the three axes D x A_i do not overlap. For a ray
// through the box the projection of the ray on D x A_i is the single value
// (D x Delta).A_i, which must lie within the box's projected half-width there. The comparisons
// are strict, so a ray that exactly grazes an edge passes.
bool OC_IntrRay3Box3::Test() const {
    const LVector& dir = ray_.direction;
    const LVector diff = ray_.origin - box_.center;
    const double* e = box_.extent;

    double w[3];
    for (int i = 0; i < 3; ++i) {
        w[i] = dir * box_.axis[i];
        const double d = diff * box_.axis[i];
        if (std::fabs(d) > e[i] && d * w[i] >= 0.0) return false;
    }

    const LVector cross = dir % diff;
    if (std::fabs(cross * box_.axis[0]) > e[1] * std::fabs(w[2]) + e[2] * std::fabs(w[1]))
        return false;
    if (std::fabs(cross * box_.axis[1]) > e[0] * std::fabs(w[2]) + e[2] * std::fabs(w[0]))
        return false;
    if (std::fabs(cross * box_.axis[2]) > e[0] * std::fabs(w[1]) + e[1] * std::fabs(w[0]))
        return false;
    return true;
}

bool OC_IntrRay3Box3::Find() {
    return DoClipping(0.0, 1e308, ray_.origin, ray_.direction, box_, true, quantity_, point_,
                      intersection_kind_);
}

bool OC_IntrRay3Box3::Clip(double denom, double numer, double& t0, double& t1) {
    if (denom > 0.0) {
        if (numer > denom * t1) return false;
        if (numer > denom * t0) t0 = numer / denom;
        return true;
    }
    if (denom < 0.0) {
        if (numer > denom * t0) return false;
        if (numer > denom * t1) t1 = numer / denom;
        return true;
    }
    return numer <= 0.0;
}

// Liang-Barsky clipping: in box coordinates the box is the intersection of six half-spaces,
// two per axis, and each one narrows the parameter interval of the line from one side. The
// interval left after all six is the part of the line inside the box. An unsolid box counts
// only a line that crosses its surface, that is one whose interval was narrowed.
bool OC_IntrRay3Box3::DoClipping(double t0, double t1, const LVector& origin,
                                 const LVector& direction, const OC_Box3& box, bool solid,
                                 int& quantity, LVector* points, int& kind) {
    const LVector diff = origin - box.center;
    const LVector o(diff * box.axis[0], diff * box.axis[1], diff * box.axis[2]);
    const LVector d(direction * box.axis[0], direction * box.axis[1], direction * box.axis[2]);
    const double* e = box.extent;

    const double start = t0;
    const double stop = t1;
    const bool inside = Clip(+d.x, -o.x - e[0], t0, t1) && Clip(-d.x, +o.x - e[0], t0, t1) &&
                        Clip(+d.y, -o.y - e[1], t0, t1) && Clip(-d.y, +o.y - e[1], t0, t1) &&
                        Clip(+d.z, -o.z - e[2], t0, t1) && Clip(-d.z, +o.z - e[2], t0, t1);

    if (inside && (solid || t0 != start || t1 != stop)) {
        if (t1 > t0) {
            kind = quantity = 2;
            points[0] = origin + t0 * direction;
            points[1] = origin + t1 * direction;
        } else {
            kind = quantity = 1;
            points[0] = origin + t0 * direction;
        }
    } else {
        kind = quantity = 0;
    }
    return kind != 0;
}
