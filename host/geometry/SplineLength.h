// The arc length of one spline segment, and the conversion between a uniform position (a
// share of that length) and the segment's natural parameter.
//
// The table is built once by init: each span is integrated with 5-point Gauss-Legendre
// quadrature on pieces that are halved until two halves agree with their whole to 1e-12 of
// the span's length, so lengths are accurate far below 1e-6 of the segment's length. A
// uniform position is found by a binary search over the pieces and Newton steps (kept in
// the piece by bisection) inside the one piece that holds it.
#pragma once

#include "host/geometry/SplinePath.h"

#include <memory>
#include <vector>

namespace vantri {

class SplineLength {
  public:
    /// Builds the table of `segment` of `path` (kept alive by the table). False (table
    /// emptied) when the segment does not exist.
    bool init(std::shared_ptr<const SplinePath> path, int32_t segment);
    bool ready() const { return path_ != nullptr; }
    /// The segment's length; 0 before a successful init.
    double length() const { return total_; }
    /// The natural parameter w at which the arc length from the segment's start is u times
    /// the segment's length (u clamped to [0, 1]). 0 before init or for a segment of length 0.
    double uniform_to_natural(double u) const;

  private:
    struct Piece {
        int32_t span;
        double s0, s1; // local parameters of the span
        double start;  // arc length at s0 from the segment's start
        double length; // arc length of the piece
    };
    double speed(int32_t span, double s) const;
    double integrate(int32_t span, double a, double b) const;
    void subdivide(int32_t span, double a, double b, double whole, double tolerance, int depth);

    std::shared_ptr<const SplinePath> path_;
    int32_t segment_ = 0;
    int32_t spans_ = 0;
    std::vector<Piece> pieces_;
    double total_ = 0.0;
};

} // namespace vantri
