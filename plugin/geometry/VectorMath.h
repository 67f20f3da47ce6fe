// Sign, ellipse reach and the matrix and vector operators of the host's 64-bit types, with
// the results that the crowd code relies on in degenerate cases.
#pragma once

#include "plugin/hostapi/MathTypes.h"

#include <cstdint>

/// +1.0 for x >= 0 (so also for -0.0), otherwise -1.0; a NaN gives -1.0.
double Sign(double x);

/// Distance from the centre of an ellipse to its edge along a ray at `angle` radians from its
/// forward axis: b (the forward half-axis) at 0, a (the side half-axis) at pi/2. Unguarded: a
/// zero denominator gives NaN, which every caller's comparison treats as out of reach.
double EllipseRlen(double a, double b, double angle);

/// Replaces each of the `count` values with its square root, as std::sqrt gives it (the
/// root is correctly rounded however it is taken), two at a time where the processor can.
void SquareRoots(double* values, int32_t count);

/// The transform that applies m2 first and then m1.
LMatrix operator*(const LMatrix& m1, const LMatrix& m2);

/// The inverse affine transform, so that !m * m is the identity. A matrix whose axes have a
/// determinant of exactly 0 (or NaN) gives the identity.
LMatrix operator!(const LMatrix& m);

/// v scaled to unit length; a length of exactly 0 (or NaN) gives (0, 0, 0).
LVector operator!(const LVector& v);
