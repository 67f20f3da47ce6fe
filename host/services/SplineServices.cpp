// Spline objects: their segments and points, and arc-length tables of their segments.
#include "host/services/Services.h"

#include "host/geometry/SplineLength.h"
#include "host/memory/Allocator.h"
#include "host/scene/SceneObject.h"

#include <new>

namespace vantri {

namespace {

const SplinePath* path_of(VtAtom* handle) {
    SceneObject* object = SceneObject::from(handle);
    return object != nullptr ? object->spline().get() : nullptr;
}

int32_t is_spline(VtAtom* h) {
    return path_of(h) != nullptr ? 1 : 0;
}

int32_t get_segment_count(VtAtom* h) {
    const SplinePath* path = path_of(h);
    return path != nullptr ? path->segment_count() : 0;
}

int32_t get_point_count(VtAtom* h) {
    const SplinePath* path = path_of(h);
    return path != nullptr ? path->point_count() : 0;
}

int32_t get_point(VtAtom* h, double w, int32_t segment, VtVector* out) {
    const SplinePath* path = path_of(h);
    VtVector p{0, 0, 0};
    if (path == nullptr || out == nullptr || !path->point(segment, w, p)) return 0;
    *out = p;
    return 1;
}

int32_t get_tangent(VtAtom* h, double w, int32_t segment, VtVector* out) {
    const SplinePath* path = path_of(h);
    VtVector t{0, 0, 0};
    if (path == nullptr || out == nullptr || !path->tangent(segment, w, t)) return 0;
    *out = t;
    return 1;
}

SplineLength* table_of(VtSplineLength* t) {
    return reinterpret_cast<SplineLength*>(t);
}
const SplineLength* table_of(const VtSplineLength* t) {
    return reinterpret_cast<const SplineLength*>(t);
}

VtSplineLength* length_alloc() {
    if (!allocator().admit(sizeof(SplineLength))) return nullptr;
    SplineLength* table = new (std::nothrow) SplineLength;
    if (table == nullptr) {
        allocator().retire(sizeof(SplineLength));
        return nullptr;
    }
    return reinterpret_cast<VtSplineLength*>(table);
}

void length_free(VtSplineLength* t) {
    if (t == nullptr) return;
    delete table_of(t);
    allocator().retire(sizeof(SplineLength));
}

int32_t length_init(VtSplineLength* t, VtAtom* h, int32_t segment) {
    if (t == nullptr) return 0;
    SceneObject* object = SceneObject::from(h);
    std::shared_ptr<const SplinePath> path = object != nullptr ? object->spline() : nullptr;
    return table_of(t)->init(std::move(path), segment) ? 1 : 0;
}

double length_get(const VtSplineLength* t) {
    return t != nullptr ? table_of(t)->length() : 0.0;
}

double length_uniform_to_natural(const VtSplineLength* t, double u) {
    return t != nullptr ? table_of(t)->uniform_to_natural(u) : 0.0;
}

const VtSplineTable kTable = {
    sizeof(VtSplineTable),
    is_spline,
    get_segment_count,
    get_point_count,
    get_point,
    get_tangent,
    length_alloc,
    length_free,
    length_init,
    length_get,
    length_uniform_to_natural,
};

} // namespace

const VtSplineTable* spline_table() {
    return &kTable;
}

} // namespace vantri
