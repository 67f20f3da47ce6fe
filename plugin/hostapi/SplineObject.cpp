#include "plugin/hostapi/SplineObject.h"

#include "plugin/hostapi/host_binding.h"

SplineObject* SplineObject::From(BaseObject* object) {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr || object == nullptr || !splines->is_spline(object->Handle()))
        return nullptr;
    return static_cast<SplineObject*>(object);
}

int32_t SplineObject::GetSegmentCount() const {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return 0;
    return splines->get_segment_count(Handle());
}

int32_t SplineObject::GetPointCount() const {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return 0;
    return splines->get_point_count(Handle());
}

LVector SplineObject::GetSplinePoint(double t, int32_t segment, const LVector*) const {
    VtVector v{0, 0, 0};
    if (const VtSplineTable* splines = vt::SplineTable())
        splines->get_point(Handle(), t, segment, &v);
    return FromAbi(v);
}

LVector SplineObject::GetSplineTangent(double t, int32_t segment, const LVector*) const {
    VtVector v{0, 0, 0};
    if (const VtSplineTable* splines = vt::SplineTable())
        splines->get_tangent(Handle(), t, segment, &v);
    return FromAbi(v);
}

SplineLengthData* SplineLengthData::Alloc() {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return nullptr;
    return reinterpret_cast<SplineLengthData*>(splines->length_alloc());
}

void SplineLengthData::Free(SplineLengthData*& table) {
    const VtSplineTable* splines = vt::SplineTable();
    if (table != nullptr && splines != nullptr) splines->length_free(table->Handle());
    table = nullptr;
}

Bool SplineLengthData::Init(SplineObject* spline, int32_t segment, const LVector*) {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return FALSE;
    return splines->length_init(Handle(), spline != nullptr ? spline->Handle() : nullptr, segment);
}

double SplineLengthData::GetLength() const {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return 0.0;
    return splines->length_get(Handle());
}

double SplineLengthData::UniformToNatural(double u) const {
    const VtSplineTable* splines = vt::SplineTable();
    if (splines == nullptr) return 0.0;
    return splines->length_uniform_to_natural(Handle(), u);
}
