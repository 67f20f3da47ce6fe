// Carrying surface normals between spaces, and turning a steering that points straight back.
#pragma once

#include "plugin/hostapi/MathTypes.h"

/// Whether the axes of `m` are at right angles and of one length (up to 1e-9 of it): a
/// rotation, a mirror and a uniform scale, which carry normals as they carry directions.
bool ScalesUniformly(const LMatrix& m);

/// The normal `n` carried by the axes of `m` (the offset does not enter), not normalised.
/// Under a uniform scale that is m's axes applied to n; under any other it is the inverse
/// transpose of the axes applied to n, so that the normal stays at right angles to the
/// surface: m's axes would tilt it towards the axis stretched most.
LVector CarryNormal(const LMatrix& m, const LVector& n);

/// A steering that points straight along or against `heading`, with no part across it (up to
/// 1e-9 of its length), leaned by `angle` radians towards the agent's right (the right of +Z
/// is +X; up is +Y), its length kept. Any other steering, and any steering of an agent whose
/// heading has no level part, comes back unchanged.
LVector TurnHeadOn(const LVector& steer, const LVector& heading, double angle);
