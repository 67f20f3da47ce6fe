#include "results/ExportSpace.h"

#include "host/scene/Transform.h"

#include <cmath>

namespace vantri {

namespace {

VtVector mirrored(const VtVector& v) {
    return VtVector{v.x, v.y, -v.z};
}

VtVector unit_or(const VtVector& v, const VtVector& fallback) {
    const double l = length(v);
    return l > 0.0 && std::isfinite(l) ? v * (1.0 / l) : fallback;
}

} // namespace

VtVector export_point(const VtVector& host) {
    return mirrored(host) * kMetresPerSceneUnit;
}

VtVector export_direction(const VtVector& host) {
    return mirrored(host);
}

Quaternion quaternion_from_axes(const VtVector& x_axis, const VtVector& y_axis,
                                const VtVector& z_axis) {
    // Gram-Schmidt, then the third axis from the first two so that the result is a rotation
    // even when the columns were not quite orthogonal.
    const VtVector x = unit_or(x_axis, VtVector{1, 0, 0});
    VtVector y = unit_or(y_axis - x * dot(y_axis, x), VtVector{0, 0, 0});
    if (length(y) == 0.0) {
        // y was parallel to x or zero: take any direction across x.
        y = unit_or(cross(unit_or(z_axis, VtVector{0, 0, 1}), x), VtVector{0, 0, 0});
        if (length(y) == 0.0)
            y = unit_or(cross(x, std::fabs(x.x) < 0.9 ? VtVector{1, 0, 0} : VtVector{0, 1, 0}),
                        VtVector{0, 1, 0});
    }
    const VtVector z = cross(x, y);
    // m[row][column] with the axes as columns.
    const double m00 = x.x, m01 = y.x, m02 = z.x;
    const double m10 = x.y, m11 = y.y, m12 = z.y;
    const double m20 = x.z, m21 = y.z, m22 = z.z;
    const double trace = m00 + m11 + m22;
    Quaternion q;
    if (trace > 0.0) {
        const double s = 0.5 / std::sqrt(trace + 1.0);
        q = {(m21 - m12) * s, (m02 - m20) * s, (m10 - m01) * s, 0.25 / s};
    } else if (m00 > m11 && m00 > m22) {
        const double s = 2.0 * std::sqrt(1.0 + m00 - m11 - m22);
        q = {0.25 * s, (m01 + m10) / s, (m02 + m20) / s, (m21 - m12) / s};
    } else if (m11 > m22) {
        const double s = 2.0 * std::sqrt(1.0 + m11 - m00 - m22);
        q = {(m01 + m10) / s, 0.25 * s, (m12 + m21) / s, (m02 - m20) / s};
    } else {
        const double s = 2.0 * std::sqrt(1.0 + m22 - m00 - m11);
        q = {(m02 + m20) / s, (m12 + m21) / s, 0.25 * s, (m10 - m01) / s};
    }
    const double n = std::sqrt(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3]);
    for (double& c : q)
        c /= n;
    // One of the two equal quaternions, always the same one: w >= 0.
    if (q[3] < 0.0)
        for (double& c : q)
            c = -c;
    return q;
}

ExportTransform export_transform(const VtMatrix& host) {
    // With M = diag(1, 1, -1), the linear part L becomes M L M: its columns are M v1, M v2
    // and -M v3.
    ExportTransform t;
    t.translation = export_point(host.off);
    VtVector x = mirrored(host.v1);
    VtVector y = mirrored(host.v2);
    VtVector z = mirrored(host.v3) * -1.0;
    t.scale = VtVector{length(x), length(y), length(z)};
    // A mirroring matrix (negative determinant) is a rotation with a negative scale on Z.
    if (dot(x, cross(y, z)) < 0.0) {
        z = z * -1.0;
        t.scale.z = -t.scale.z;
    }
    t.rotation = quaternion_from_axes(x, y, z);
    return t;
}

Quaternion export_rotation(const VtVector& hpb) {
    return export_transform(axes_from_rotation(hpb, VtVector{1, 1, 1})).rotation;
}

} // namespace vantri
