#include "host/scene/Transform.h"

#include "abi/AngleConstants.h"

#include <cmath>

namespace vantri {

double length(const VtVector& v) {
    return std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
}

VtMatrix identity_matrix() {
    return VtMatrix{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
}

VtVector transform_point(const VtMatrix& m, const VtVector& p) {
    return m.off + m.v1 * p.x + m.v2 * p.y + m.v3 * p.z;
}

VtMatrix multiply(const VtMatrix& outer, const VtMatrix& inner) {
    const auto axis = [&](const VtVector& v) {
        return outer.v1 * v.x + outer.v2 * v.y + outer.v3 * v.z;
    };
    return VtMatrix{transform_point(outer, inner.off), axis(inner.v1), axis(inner.v2),
                    axis(inner.v3)};
}

VtMatrix inverse(const VtMatrix& m) {
    const double det = dot(m.v1, cross(m.v2, m.v3));
    if (det == 0.0 || std::isnan(det)) return identity_matrix();
    // Rows of the inverse 3x3 part are the cross products of the axes over the determinant.
    const VtVector r1 = cross(m.v2, m.v3) * (1.0 / det);
    const VtVector r2 = cross(m.v3, m.v1) * (1.0 / det);
    const VtVector r3 = cross(m.v1, m.v2) * (1.0 / det);
    VtMatrix result;
    result.v1 = VtVector{r1.x, r2.x, r3.x};
    result.v2 = VtVector{r1.y, r2.y, r3.y};
    result.v3 = VtVector{r1.z, r2.z, r3.z};
    const VtVector o = VtVector{dot(r1, m.off), dot(r2, m.off), dot(r3, m.off)};
    result.off = o * -1.0;
    return result;
}

VtMatrix axes_from_rotation(const VtVector& hpb, const VtVector& scale) {
    const double ch = std::cos(hpb.x), sh = std::sin(hpb.x);
    const double cp = std::cos(hpb.y), sp = std::sin(hpb.y);
    const double cb = std::cos(hpb.z), sb = std::sin(hpb.z);
    const VtVector x0{ch, 0.0, sh};
    const VtVector z{-sh * cp, sp, ch * cp};
    const VtVector y0 = cross(z, x0);
    const VtVector x = x0 * cb - y0 * sb;
    const VtVector y = x0 * sb + y0 * cb;
    return VtMatrix{{0, 0, 0}, x * scale.x, y * scale.y, z * scale.z};
}

namespace {

using angle::kPi;

double heading_of(double x, double z) {
    const double l = std::sqrt(x * x + z * z);
    const double s = x / l;
    if (z > 0.0) {
        if (s >= 1.0) return -kPi / 2;
        if (s <= -1.0) return kPi / 2;
        return -std::asin(s);
    }
    if (s >= 1.0) return 3 * kPi / 2;
    if (s <= -1.0) return kPi / 2;
    return std::asin(s) + kPi;
}

VtVector normalised(const VtVector& v) {
    const double l = length(v);
    return l == 0.0 ? VtVector{0, 0, 0} : v * (1.0 / l);
}

} // namespace

VtVector rotation_from_axes(const VtMatrix& m) {
    const VtVector z = normalised(m.v3);
    const VtVector x = normalised(m.v1);
    const double f = std::sqrt(z.x * z.x + z.z * z.z);
    if (f < 1e-5) {
        const double k = x.x >= 1.0 ? 0.0 : (x.x <= -1.0 ? kPi : std::acos(x.x));
        if (z.y > 0.0) return VtVector{0.0, kPi / 2, x.z >= 0.0 ? k : 2 * kPi - k};
        return VtVector{0.0, -kPi / 2, x.z > 0.0 ? 2 * kPi - k : k};
    }
    double heading = heading_of(z.x, z.z);
    if (heading < 0.0) heading += 2 * kPi;
    const double pitch = std::atan(z.y / f);
    const double c = std::cos(heading) * x.x + std::sin(heading) * x.z;
    double bank = c >= 1.0 ? 0.0 : (c <= -1.0 ? kPi : std::acos(c));
    if (x.y > 0.0) bank = 2 * kPi - bank;
    return VtVector{heading, pitch, bank};
}

VtVector scale_from_axes(const VtMatrix& m) {
    return VtVector{length(m.v1), length(m.v2), length(m.v3)};
}

bool same_matrix(const VtMatrix& a, const VtMatrix& b) {
    const auto same = [](const VtVector& p, const VtVector& q) {
        return p.x == q.x && p.y == q.y && p.z == q.z;
    };
    return same(a.off, b.off) && same(a.v1, b.v1) && same(a.v2, b.v2) && same(a.v3, b.v3);
}

} // namespace vantri
