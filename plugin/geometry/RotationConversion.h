// Conversions between directions, matrices and rotations in the host's convention.
//
// A rotation is (heading, pitch, bank) in radians. Heading turns about the Y axis: 0 faces
// +Z, pi/2 faces -X, pi faces -Z, 3 pi/2 faces +X. Pitch is positive upwards; bank is the roll
// about the forward axis. The plug-in writes these rotations into the host's objects, so they
// must match the host's own conversion exactly.
#pragma once

#include "plugin/hostapi/MathTypes.h"

/// The turn by `a` radians about the Y axis: (x, y, z) goes to
/// (x cos a - z sin a, y, x sin a + z cos a).
LMatrix MatrixRotY(double a);

/// The rotation that points +Z along v; bank is 0. The heading lies in (-pi/2, 3 pi/2]. A
/// vertical or zero v gives heading 0 and pitch +pi/2 (up) or -pi/2 (down or zero).
LVector VectorToHPB(const LVector& v);

/// The rotation of a matrix's axes (scale ignored). Heading and bank lie in [0, 2 pi); a
/// vertical Z axis gives heading 0 and puts the whole turn into the bank.
LVector MatrixToHPB(const LMatrix& m);

/// The rotation equivalent to `target` (each angle modulo 2 pi, or the same orientation with
/// the pitch mirrored over the vertical) that lies nearest to `old`.
LVector GetOptimalAngle(const LVector& old, const LVector& target);
