#include "scenefile/CustomValues.h"

#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

namespace vantri {

std::unique_ptr<CustomData> make_in_exclude_list(const std::vector<const Atom*>& objects) {
    auto list = std::make_unique<InExcludeList>();
    for (const Atom* object : objects)
        list->append(object);
    return list;
}

std::unique_ptr<CustomData> make_spline_curve(const std::vector<SplineKnot>& knots) {
    auto curve = std::make_unique<SplineCurve>();
    for (const SplineKnot& knot : knots) {
        if (!curve->add_knot(knot.x, knot.y)) return nullptr;
    }
    return curve;
}

} // namespace vantri
