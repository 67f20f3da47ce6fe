// The host's matrix arithmetic on the boundary's plain values.
#pragma once

#include "abi/host_abi.h"

namespace vantri {

inline VtVector operator+(const VtVector& a, const VtVector& b) {
    return VtVector{a.x + b.x, a.y + b.y, a.z + b.z};
}
inline VtVector operator-(const VtVector& a, const VtVector& b) {
    return VtVector{a.x - b.x, a.y - b.y, a.z - b.z};
}
inline VtVector operator*(const VtVector& a, double s) {
    return VtVector{a.x * s, a.y * s, a.z * s};
}
inline double dot(const VtVector& a, const VtVector& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}
inline VtVector cross(const VtVector& a, const VtVector& b) {
    return VtVector{a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
double length(const VtVector& v);

VtMatrix identity_matrix();
/// The transform that applies `inner` first, then `outer`.
VtMatrix multiply(const VtMatrix& outer, const VtMatrix& inner);
/// off + p.x*v1 + p.y*v2 + p.z*v3.
VtVector transform_point(const VtMatrix& m, const VtVector& p);
/// The inverse affine transform; the identity when the axes are singular.
VtMatrix inverse(const VtMatrix& m);

/// The axes of a rotation (heading, pitch, bank) scaled per axis; the offset is zero.
VtMatrix axes_from_rotation(const VtVector& hpb, const VtVector& scale);
/// The rotation (heading, pitch, bank) of a matrix's axes, in the host's convention.
VtVector rotation_from_axes(const VtMatrix& m);
/// The lengths of the three axes.
VtVector scale_from_axes(const VtMatrix& m);

bool same_matrix(const VtMatrix& a, const VtMatrix& b);

} // namespace vantri
