// A curve made visible as a thin tube, for viewers that draw glTF lines as nothing or as one
// pixel: a ring of points around every point of the curve, joined ring to ring.
#pragma once

#include "results/ObjectShapes.h"

namespace vantri {

/// Sides of a curve's tube.
constexpr int32_t kTubeSides = 8;

/// A tube of `radius` around `line` (scene units), with smooth normals pointing out; a
/// closed line's tube closes too. Points that repeat the one before are skipped; empty when
/// fewer than two points are left or the radius is not above 0.
ObjectShape tube_shape(const ObjectLine& line, double radius, int32_t sides = kTubeSides);

/// A tube radius that shows `shape`'s curves at the size of the whole: a four-hundredth of
/// its largest extent, within 0.5 to 10 scene units.
double tube_radius(const ObjectShape& shape);

} // namespace vantri
