// A spline curve: a function y(x) given by knots, as a behaviour's profile parameter holds it
// (the weight of spline following along the spline's length).
//
// Knots carry a position, two tangents and an interpolation kind, and the plug-in may change
// a knot in place through its pointer. This host evaluates every segment as a straight line
// between neighbouring knots ordered by x; the tangents and the interpolation kind are kept
// for whoever edits the curve but do not bend it.
#pragma once

#include "host/scene/CustomData.h"

#include <cstdint>
#include <vector>

namespace vantri {

class SplineCurve : public CustomData {
  public:
    int32_t type() const override { return VT_CUSTOMDATA_SPLINE; }
    std::unique_ptr<CustomData> clone() const override;
    /// "2 knots: (0, 1) (1, 1)".
    std::string summary() const override;

    /// The most knots a curve holds; larger requests are refused.
    static constexpr int32_t kMaxKnots = 1 << 16;

    /// Replaces the knots by `count` knots on the line y = x from (0, 0) to (1, 1): knot i at
    /// x = y = i / (count - 1), linear, with zero tangents. One knot stands at (0, 0); zero
    /// knots leave the curve empty. False (curve unchanged) for a negative or too large
    /// count.
    bool make_linear(int32_t count);
    /// Appends a linear knot at (x, y, 0) with zero tangents; false when the curve is full.
    bool add_knot(double x, double y);

    int32_t knot_count() const { return static_cast<int32_t>(knots_.size()); }
    /// Knot `index`, changeable in place; valid until the knots are replaced or added to.
    /// Null when out of range.
    VtSplineKnot* knot(int32_t index);
    const VtSplineKnot* knot(int32_t index) const;

    /// The curve at x = t: (t, y, 0). Knots are taken in order of x (ties keep their
    /// order). Between two knots y is interpolated linearly; before the first knot y is the
    /// first knot's y, after the last the last knot's y; where knots share an x the later
    /// one's y holds from that x on. An empty curve gives y = 0.
    VtVector point(double t) const;

    static SplineCurve* from(VtCustomData* h);
    static const SplineCurve* from(const VtCustomData* h);

  private:
    std::vector<VtSplineKnot> knots_;
};

} // namespace vantri
