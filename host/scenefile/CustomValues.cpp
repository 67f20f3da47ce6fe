#include "scenefile/CustomValues.h"

namespace vantri {

// The host's in/exclude list and spline curve classes are not part of this tree yet; until
// they are, these values cannot be stored and the scene builder says so.
std::unique_ptr<CustomData> make_in_exclude_list(const std::vector<const Atom*>&) {
    return nullptr;
}

std::unique_ptr<CustomData> make_spline_curve(const std::vector<SplineKnot>&) {
    return nullptr;
}

} // namespace vantri
