// The host's own small vector and matrix types, and their conversion to the boundary's
// VtVector and VtMatrix.
//
// A Mat4 is an affine transform: a point p maps to off + p.x*v1 + p.y*v2 + p.z*v3.
#pragma once

#include "host_abi.h"

#include <cmath>

namespace vantri {

struct Vec3 {
    double x = 0.0, y = 0.0, z = 0.0;
};

inline Vec3 operator+(const Vec3& a, const Vec3& b) {
    return {a.x + b.x, a.y + b.y, a.z + b.z};
}
inline Vec3 operator-(const Vec3& a, const Vec3& b) {
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}
inline Vec3 operator-(const Vec3& a) {
    return {-a.x, -a.y, -a.z};
}
inline Vec3 operator*(double s, const Vec3& a) {
    return {s * a.x, s * a.y, s * a.z};
}
inline Vec3 operator*(const Vec3& a, double s) {
    return {a.x * s, a.y * s, a.z * s};
}
inline bool operator==(const Vec3& a, const Vec3& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline double dot(const Vec3& a, const Vec3& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline Vec3 cross(const Vec3& a, const Vec3& b) {
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
inline double length(const Vec3& a) {
    return std::sqrt(dot(a, a));
}

/// An affine transform; default-constructed, the identity.
struct Mat4 {
    Vec3 off;
    Vec3 v1{1.0, 0.0, 0.0};
    Vec3 v2{0.0, 1.0, 0.0};
    Vec3 v3{0.0, 0.0, 1.0};
};

inline bool operator==(const Mat4& a, const Mat4& b) {
    return a.off == b.off && a.v1 == b.v1 && a.v2 == b.v2 && a.v3 == b.v3;
}

/// The point p carried through m.
inline Vec3 transform_point(const Mat4& m, const Vec3& p) {
    return m.off + p.x * m.v1 + p.y * m.v2 + p.z * m.v3;
}

/// The direction d carried through m (the offset left out).
inline Vec3 transform_direction(const Mat4& m, const Vec3& d) {
    return d.x * m.v1 + d.y * m.v2 + d.z * m.v3;
}

/// The transform that applies b first and then a.
inline Mat4 operator*(const Mat4& a, const Mat4& b) {
    Mat4 r;
    r.off = transform_point(a, b.off);
    r.v1 = transform_direction(a, b.v1);
    r.v2 = transform_direction(a, b.v2);
    r.v3 = transform_direction(a, b.v3);
    return r;
}

/// The inverse transform; a singular matrix (determinant 0 or NaN) gives the identity, as
/// the plug-in's own inverse does.
inline Mat4 inverse(const Mat4& m) {
    const Vec3 r1 = cross(m.v2, m.v3);
    const Vec3 r2 = cross(m.v3, m.v1);
    const Vec3 r3 = cross(m.v1, m.v2);
    const double det = dot(m.v1, r1);
    if (det == 0.0 || std::isnan(det)) return Mat4{};
    Mat4 inv;
    inv.v1 = {r1.x / det, r2.x / det, r3.x / det};
    inv.v2 = {r1.y / det, r2.y / det, r3.y / det};
    inv.v3 = {r1.z / det, r2.z / det, r3.z / det};
    inv.off = -transform_direction(inv, m.off);
    return inv;
}

inline Vec3 from_abi(const VtVector& v) {
    return {v.x, v.y, v.z};
}
inline VtVector to_abi(const Vec3& v) {
    return VtVector{v.x, v.y, v.z};
}
inline Mat4 from_abi(const VtMatrix& m) {
    return Mat4{from_abi(m.off), from_abi(m.v1), from_abi(m.v2), from_abi(m.v3)};
}
inline VtMatrix to_abi(const Mat4& m) {
    return VtMatrix{to_abi(m.off), to_abi(m.v1), to_abi(m.v2), to_abi(m.v3)};
}

} // namespace vantri
