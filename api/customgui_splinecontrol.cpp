#include "customgui_splinecontrol.h"

#include "host_binding.h"

#include <cstddef>
#include <type_traits>

static_assert(std::is_standard_layout<CustomSplineKnot>::value &&
                  sizeof(CustomSplineKnot) == sizeof(VtSplineKnot) &&
                  offsetof(CustomSplineKnot, vPos) == offsetof(VtSplineKnot, position) &&
                  offsetof(CustomSplineKnot, vTangentLeft) ==
                      offsetof(VtSplineKnot, tangent_left) &&
                  offsetof(CustomSplineKnot, vTangentRight) ==
                      offsetof(VtSplineKnot, tangent_right) &&
                  offsetof(CustomSplineKnot, interpol) == offsetof(VtSplineKnot, interpolation) &&
                  offsetof(CustomSplineKnot, lFlagsSettings) == offsetof(VtSplineKnot, flags),
              "CustomSplineKnot must have the layout of VtSplineKnot");

SplineData* SplineData::Alloc() {
    HostApi* host = vt::Host();
    if (host == nullptr) return nullptr;
    return reinterpret_cast<SplineData*>(host->containers->custom_alloc(VT_CUSTOMDATA_SPLINE));
}

void SplineData::Free(SplineData*& data) {
    HostApi* host = vt::Host();
    if (data != nullptr && host != nullptr) host->containers->custom_free(data->Handle());
    data = nullptr;
}

Bool SplineData::MakeLinearSpline(LONG count) {
    return vt::Host()->containers->spline_make_linear(Handle(), count) != 0;
}

LONG SplineData::GetKnotCount() const {
    return vt::Host()->containers->spline_get_knot_count(Handle());
}

CustomSplineKnot* SplineData::GetKnot(LONG i) {
    return reinterpret_cast<CustomSplineKnot*>(
        vt::Host()->containers->spline_get_knot(Handle(), i));
}

LVector SplineData::GetPoint(Real t) const {
    VtVector point{t, 0.0, 0.0};
    vt::Host()->containers->spline_get_point(Handle(), t, &point);
    return FromAbi(point);
}
