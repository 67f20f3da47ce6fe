// A spline object's curve: one or more segments of control points, open or closed, drawn
// through its points with straight spans or with a smooth cubic (Catmull-Rom) curve.
//
// Each segment is addressed by a natural parameter w from 0 at its first point to 1 at its
// end (its last point, or its first point again when closed); the spans between points each
// take an equal share of w. A spline may carry no segment information at all: its points then
// form one segment, and the segment count it reports is 0.
#pragma once

#include "abi/host_abi.h"

#include <cstdint>
#include <vector>

namespace vantri {

enum class SplineInterpolation { Linear, Cubic };

class SplinePath {
  public:
    /// A spline of one segment without segment information (segment count 0).
    SplinePath(std::vector<VtVector> points, bool closed, SplineInterpolation interpolation);
    /// A spline of the given segments, each a list of points; empty segments are kept.
    SplinePath(const std::vector<std::vector<VtVector>>& segments, bool closed,
               SplineInterpolation interpolation);

    /// The number of segments the spline records (0 when it has no segment information).
    int32_t segment_count() const { return static_cast<int32_t>(segment_sizes_.size()); }
    int32_t point_count() const { return static_cast<int32_t>(points_.size()); }
    /// Segments that can be evaluated: segment_count(), or 1 for points without segments.
    int32_t evaluable_segments() const;
    bool closed() const { return closed_; }
    SplineInterpolation interpolation() const { return interpolation_; }
    const std::vector<VtVector>& points() const { return points_; }

    /// The number of spans of a segment: points - 1 when open, points when closed (0 for a
    /// segment of fewer than two points, or one that does not exist).
    int32_t span_count(int32_t segment) const;
    /// The point at natural parameter w (clamped to [0, 1]) of a segment. False for a
    /// segment that does not exist or has no point.
    bool point(int32_t segment, double w, VtVector& out) const;
    /// The unit tangent (direction of travel) at w; (0, 0, 0) where the curve stands still.
    bool tangent(int32_t segment, double w, VtVector& out) const;
    /// Point and derivative with respect to the local parameter s in [0, 1] of one span.
    void span_point(int32_t segment, int32_t span, double s, VtVector* point,
                    VtVector* derivative) const;

  private:
    /// The first point index and the number of points of a segment; false when none.
    bool segment_range(int32_t segment, int32_t& first, int32_t& count) const;
    /// Span and local parameter for w.
    void locate(int32_t spans, double w, int32_t& span, double& s) const;

    std::vector<VtVector> points_;
    std::vector<int32_t> segment_sizes_;
    /// Per segment: the index of its first point (the sizes of the segments before it summed
    /// once, so that a spline of many segments is evaluated in constant time per segment).
    std::vector<int32_t> segment_starts_;
    bool closed_ = false;
    SplineInterpolation interpolation_ = SplineInterpolation::Cubic;
};

} // namespace vantri
