// How far an agent stands inside an obstacle's sphere or box.
#pragma once

#include "plugin/hostapi/BaseObject.h"

/// How deep `point`, in the space of the generator whose global matrix is `generator_mg`,
/// lies inside the sphere or box of `obstacle` (laid out as the collision test lays it out):
/// its distance to the sphere's surface or to the nearest face of the box. Negative when the
/// point lies outside, and for a geometry obstacle or any other object, whose inside is not
/// known.
double DepthInsideObstacle(BaseObject* obstacle, const LMatrix& generator_mg, const LVector& point);
