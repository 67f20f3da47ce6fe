// The host's spline curve: a function y(x) given by knots, such as a behaviour's profile.
#pragma once

#include "plugin/hostapi/GeData.h"

/// How a curve's segment after a knot is interpolated.
namespace CurveInterpolation {
constexpr int32_t Bezier = VT_SPLINE_KNOT_BEZIER;
constexpr int32_t Linear = VT_SPLINE_KNOT_LINEAR;
constexpr int32_t Cubic = VT_SPLINE_KNOT_CUBIC;
} // namespace CurveInterpolation

/// One knot of a curve, with the layout of VtSplineKnot: the plug-in changes the host's knot
/// in place through the pointer SplineData::GetKnot returns.
struct CurveKnot {
    LVector position;      ///< x along the curve, y the value; z is unused
    LVector tangent_left;  ///< relative to position
    LVector tangent_right; ///< relative to position
    int32_t interpolation; ///< CurveInterpolation of the segment that follows
    int32_t flags;
};

/// A spline-curve value, seen through its host handle. One made by Alloc belongs to the
/// caller until Free; one from a container or GeData belongs to that container or GeData.
class SplineData : public CustomDataType {
  public:
    SplineData() = delete;
    ~SplineData() = delete;

    /// A new, empty curve; null when the host cannot make one.
    static SplineData* Alloc();
    /// Frees a curve made by Alloc and sets the pointer to null; null is ignored.
    static void Free(SplineData*& data);

    /// Replaces the knots by `count` linear knots evenly on y = x from (0, 0) to (1, 1).
    /// False (curve unchanged) for a negative count or more knots than the host holds.
    Bool MakeLinearSpline(int32_t count);
    int32_t GetKnotCount() const;
    /// Knot `i`, owned by the curve and changeable in place until the knots are replaced;
    /// null when out of range.
    CurveKnot* GetKnot(int32_t i);
    /// The curve's point at x = t: (t, y, 0); y is linear between the knots ordered by x and
    /// holds the end knots' values outside them.
    LVector GetPoint(double t) const;

  private:
    VtCustomData* Handle() { return reinterpret_cast<VtCustomData*>(this); }
    const VtCustomData* Handle() const { return reinterpret_cast<const VtCustomData*>(this); }
};
