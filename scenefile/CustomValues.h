// The custom parameter values a scene file can write: in/exclude lists of objects and
// spline curves given by their knots.
#pragma once

#include "host/scene/Atom.h"
#include "host/scene/CustomData.h"

#include <memory>
#include <vector>

namespace vantri {

struct SplineKnot {
    double x = 0.0;
    double y = 0.0;
};

/// An in/exclude list of `objects` in this order.
std::unique_ptr<CustomData> make_in_exclude_list(const std::vector<const Atom*>& objects);

/// A spline curve through `knots`, linear between them; null when the host cannot store it
/// (more knots than a curve holds).
std::unique_ptr<CustomData> make_spline_curve(const std::vector<SplineKnot>& knots);

} // namespace vantri
