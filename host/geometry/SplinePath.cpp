#include "host/geometry/SplinePath.h"

#include "host/scene/Transform.h"

#include <algorithm>
#include <cmath>

namespace vantri {

SplinePath::SplinePath(std::vector<VtVector> points, bool closed, SplineInterpolation interpolation)
    : points_(std::move(points)), closed_(closed), interpolation_(interpolation) {}

SplinePath::SplinePath(const std::vector<std::vector<VtVector>>& segments, bool closed,
                       SplineInterpolation interpolation)
    : closed_(closed), interpolation_(interpolation) {
    for (const auto& segment : segments) {
        segment_starts_.push_back(static_cast<int32_t>(points_.size()));
        points_.insert(points_.end(), segment.begin(), segment.end());
        segment_sizes_.push_back(static_cast<int32_t>(segment.size()));
    }
}

int32_t SplinePath::evaluable_segments() const {
    if (!segment_sizes_.empty()) return segment_count();
    return points_.empty() ? 0 : 1;
}

bool SplinePath::segment_range(int32_t segment, int32_t& first, int32_t& count) const {
    if (segment < 0) return false;
    if (segment_sizes_.empty()) {
        if (segment != 0 || points_.empty()) return false;
        first = 0;
        count = point_count();
        return true;
    }
    if (segment >= segment_count()) return false;
    first = segment_starts_[segment];
    count = segment_sizes_[segment];
    return count > 0;
}

int32_t SplinePath::span_count(int32_t segment) const {
    int32_t first = 0, count = 0;
    if (!segment_range(segment, first, count) || count < 2) return 0;
    return closed_ ? count : count - 1;
}

void SplinePath::locate(int32_t spans, double w, int32_t& span, double& s) const {
    w = std::clamp(std::isnan(w) ? 0.0 : w, 0.0, 1.0);
    const double scaled = w * spans;
    span = std::min(static_cast<int32_t>(std::floor(scaled)), spans - 1);
    s = scaled - span;
}

// Catmull-Rom through the span's two points, using the points before and after as guides.
// An open segment's ends get a mirrored guide point, so a two-point segment is a straight
// line and the curve leaves its ends heading at its neighbours.
void SplinePath::span_point(int32_t segment, int32_t span, double s, VtVector* point,
                            VtVector* derivative) const {
    int32_t first = 0, count = 0;
    if (!segment_range(segment, first, count)) return;
    const auto at = [&](int32_t i) -> VtVector {
        if (closed_) return points_[first + ((i % count) + count) % count];
        if (i < 0) return points_[first] * 2.0 - points_[first + 1];
        if (i >= count) return points_[first + count - 1] * 2.0 - points_[first + count - 2];
        return points_[first + i];
    };
    const VtVector p1 = at(span);
    const VtVector p2 = at(span + 1);
    if (interpolation_ == SplineInterpolation::Linear) {
        if (point) *point = p1 + (p2 - p1) * s;
        if (derivative) *derivative = p2 - p1;
        return;
    }
    const VtVector p0 = at(span - 1);
    const VtVector p3 = at(span + 2);
    // P(s) = a s^3 + b s^2 + c s + d with the Catmull-Rom coefficients.
    const VtVector a = (p1 * 3.0 - p2 * 3.0 + p3 - p0) * 0.5;
    const VtVector b = (p0 * 2.0 - p1 * 5.0 + p2 * 4.0 - p3) * 0.5;
    const VtVector c = (p2 - p0) * 0.5;
    if (point) *point = ((a * s + b) * s + c) * s + p1;
    if (derivative) *derivative = (a * (3.0 * s) + b * 2.0) * s + c;
}

bool SplinePath::point(int32_t segment, double w, VtVector& out) const {
    int32_t first = 0, count = 0;
    if (!segment_range(segment, first, count)) return false;
    const int32_t spans = span_count(segment);
    if (spans == 0) {
        out = points_[first];
        return true;
    }
    int32_t span = 0;
    double s = 0.0;
    locate(spans, w, span, s);
    span_point(segment, span, s, &out, nullptr);
    return true;
}

bool SplinePath::tangent(int32_t segment, double w, VtVector& out) const {
    int32_t first = 0, count = 0;
    if (!segment_range(segment, first, count)) return false;
    const int32_t spans = span_count(segment);
    out = VtVector{0, 0, 0};
    if (spans == 0) return true;
    int32_t span = 0;
    double s = 0.0;
    locate(spans, w, span, s);
    VtVector d{0, 0, 0};
    span_point(segment, span, s, nullptr, &d);
    const double len = length(d);
    if (len > 0.0) out = d * (1.0 / len);
    return true;
}

} // namespace vantri
