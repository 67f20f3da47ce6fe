#include "SplineObject.h"

#include "host_binding.h"

SplineObject* SplineObject::From(BaseObject* object) {
    if (object == nullptr || !vt::Tables()->splines->is_spline(object->Handle())) return nullptr;
    return static_cast<SplineObject*>(object);
}

int32_t SplineObject::GetSegmentCount() const {
    return vt::Tables()->splines->get_segment_count(Handle());
}

int32_t SplineObject::GetPointCount() const {
    return vt::Tables()->splines->get_point_count(Handle());
}

LVector SplineObject::GetSplinePoint(double t, int32_t segment, const LVector*) const {
    VtVector v{0, 0, 0};
    vt::Tables()->splines->get_point(Handle(), t, segment, &v);
    return FromAbi(v);
}

LVector SplineObject::GetSplineTangent(double t, int32_t segment, const LVector*) const {
    VtVector v{0, 0, 0};
    vt::Tables()->splines->get_tangent(Handle(), t, segment, &v);
    return FromAbi(v);
}

SplineLengthData* SplineLengthData::Alloc() {
    return reinterpret_cast<SplineLengthData*>(vt::Tables()->splines->length_alloc());
}

void SplineLengthData::Free(SplineLengthData*& table) {
    if (table != nullptr) vt::Tables()->splines->length_free(table->Handle());
    table = nullptr;
}

Bool SplineLengthData::Init(SplineObject* spline, int32_t segment, const LVector*) {
    return vt::Tables()->splines->length_init(
        Handle(), spline != nullptr ? spline->Handle() : nullptr, segment);
}

double SplineLengthData::GetLength() const {
    return vt::Tables()->splines->length_get(Handle());
}

double SplineLengthData::UniformToNatural(double u) const {
    return vt::Tables()->splines->length_uniform_to_natural(Handle(), u);
}
