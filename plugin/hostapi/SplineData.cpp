#include "plugin/hostapi/SplineData.h"

#include "plugin/hostapi/host_binding.h"

#include <cstddef>
#include <type_traits>

static_assert(std::is_standard_layout<CurveKnot>::value &&
                  sizeof(CurveKnot) == sizeof(VtSplineKnot) &&
                  offsetof(CurveKnot, position) == offsetof(VtSplineKnot, position) &&
                  offsetof(CurveKnot, tangent_left) == offsetof(VtSplineKnot, tangent_left) &&
                  offsetof(CurveKnot, tangent_right) == offsetof(VtSplineKnot, tangent_right) &&
                  offsetof(CurveKnot, interpolation) == offsetof(VtSplineKnot, interpolation) &&
                  offsetof(CurveKnot, flags) == offsetof(VtSplineKnot, flags),
              "CurveKnot must have the layout of VtSplineKnot");

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

Bool SplineData::MakeLinearSpline(int32_t count) {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return FALSE;
    return containers->spline_make_linear(Handle(), count) != 0;
}

int32_t SplineData::GetKnotCount() const {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return 0;
    return containers->spline_get_knot_count(Handle());
}

CurveKnot* SplineData::GetKnot(int32_t i) {
    const VtContainerTable* containers = vt::ContainerTable();
    if (containers == nullptr) return nullptr;
    return reinterpret_cast<CurveKnot*>(containers->spline_get_knot(Handle(), i));
}

LVector SplineData::GetPoint(double t) const {
    VtVector point{t, 0.0, 0.0};
    if (const VtContainerTable* containers = vt::ContainerTable())
        containers->spline_get_point(Handle(), t, &point);
    return FromAbi(point);
}
