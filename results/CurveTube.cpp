#include "results/CurveTube.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

namespace {

VtVector unit_or(const VtVector& v, const VtVector& otherwise) {
    const double length = std::sqrt(dot(v, v));
    return length > 1e-12 && std::isfinite(length) ? v * (1.0 / length) : otherwise;
}

/// A direction across `tangent`: the scene's up made square to it, or X where the tangent
/// is upright.
VtVector across(const VtVector& tangent) {
    for (const VtVector& guess : {VtVector{0, 1, 0}, VtVector{1, 0, 0}}) {
        const VtVector n = guess - tangent * dot(guess, tangent);
        if (dot(n, n) > 1e-6) return unit_or(n, guess);
    }
    return {0, 0, 1};
}

} // namespace

// Each ring stands square to the curve's direction at its point (the mean of the segments
// on either side). Its first direction is carried from ring to ring (the previous ring's,
// made square to the new direction), so that the tube does not twist along the curve.
ObjectShape tube_shape(const ObjectLine& line, double radius, int32_t sides) {
    ObjectShape tube;
    std::vector<VtVector> points;
    for (const VtVector& p : line.points) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
        if (points.empty() || dot(p - points.back(), p - points.back()) > 1e-18)
            points.push_back(p);
    }
    bool closed = line.closed;
    if (closed && points.size() > 2 &&
        dot(points.back() - points.front(), points.back() - points.front()) <= 1e-18)
        points.pop_back();
    if (points.size() < 3) closed = false;
    if (points.size() < 2 || !(radius > 0) || sides < 3) return tube;

    const size_t n = points.size();
    const double step = 2.0 * 3.14159265358979323846 / sides;
    VtVector normal{}, first_normal{}, last_normal{}, last_binormal{};
    for (size_t i = 0; i < n; ++i) {
        const VtVector before = i > 0 ? points[i - 1] : (closed ? points[n - 1] : points[i]);
        const VtVector after = i + 1 < n ? points[i + 1] : (closed ? points[0] : points[i]);
        const VtVector tangent = unit_or(after - before, {0, 0, 1});
        normal = i == 0 ? across(tangent) : normal - tangent * dot(normal, tangent);
        normal = unit_or(normal, across(tangent));
        const VtVector binormal = cross(tangent, normal);
        if (i == 0) first_normal = normal;
        if (i + 1 == n) last_normal = normal, last_binormal = binormal;
        for (int32_t k = 0; k < sides; ++k) {
            const double angle = step * k;
            const VtVector out = normal * std::cos(angle) + binormal * std::sin(angle);
            tube.vertices.push_back(points[i] + out * radius);
            tube.normals.push_back(out);
        }
    }
    const size_t rings = closed ? n : n - 1;
    // Carried round a closed curve, the first direction comes back turned: the last ring
    // joins the first ring's corner that lies nearest, not the one of the same number.
    const double turned =
        std::atan2(dot(first_normal, last_binormal), dot(first_normal, last_normal));
    const int32_t shift = static_cast<int32_t>(std::lround(-turned / step));
    const int32_t corners = std::max(sides, 3);
    const auto at = [n, shift, corners](size_t ring, int32_t k) {
        if (ring == n) k += shift;
        k = ((k % corners) + corners) % corners;
        // Ring n is the first again (a closed curve's last joint).
        return static_cast<uint32_t>((ring == n ? 0 : ring) * static_cast<size_t>(corners) +
                                     static_cast<size_t>(k));
    };
    for (size_t i = 0; i < rings; ++i) {
        for (int32_t k = 0; k < sides; ++k) {
            tube.triangles.insert(tube.triangles.end(), {at(i, k), at(i, k + 1), at(i + 1, k)});
            tube.triangles.insert(tube.triangles.end(),
                                  {at(i, k + 1), at(i + 1, k + 1), at(i + 1, k)});
        }
    }
    return tube;
}

double tube_radius(const ObjectShape& shape) {
    VtVector low{}, high{};
    bool any = false;
    for (const ObjectLine& line : shape.lines) {
        for (const VtVector& p : line.points) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y) || !std::isfinite(p.z)) continue;
            low = any ? VtVector{std::min(low.x, p.x), std::min(low.y, p.y), std::min(low.z, p.z)}
                      : p;
            high =
                any ? VtVector{std::max(high.x, p.x), std::max(high.y, p.y), std::max(high.z, p.z)}
                    : p;
            any = true;
        }
    }
    const double extent = any ? std::max({high.x - low.x, high.y - low.y, high.z - low.z}) : 0.0;
    return std::clamp(extent / 400.0, 0.5, 10.0);
}

} // namespace vantri
