// Parameter containers and custom data.
#include "host/services/Services.h"

#include "host/memory/Allocator.h"
#include "host/scene/Container.h"
#include "host/scene/Document.h"
#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

namespace vantri {

namespace {

const Container* of(const VtContainer* bc) {
    return Container::from(bc);
}

int32_t get_int(const VtContainer* bc, int32_t id, int32_t preset) {
    return bc != nullptr ? of(bc)->get_int(id, preset) : preset;
}

double get_real(const VtContainer* bc, int32_t id, double preset) {
    return bc != nullptr ? of(bc)->get_real(id, preset) : preset;
}

int32_t get_bool(const VtContainer* bc, int32_t id, int32_t preset) {
    return bc != nullptr ? (of(bc)->get_bool(id, preset != 0) ? 1 : 0) : preset;
}

void get_vector(const VtContainer* bc, int32_t id, VtVector* out) {
    if (out == nullptr) return;
    *out = bc != nullptr ? of(bc)->get_vector(id) : VtVector{0, 0, 0};
}

VtAtom* get_link(const VtContainer* bc, int32_t id, VtAtom* document) {
    if (bc == nullptr) return nullptr;
    const Value* value = of(bc)->find(id);
    if (value == nullptr) return nullptr;
    Atom* target = value->target();
    if (target == nullptr) return nullptr;
    if (document != nullptr && target->document() != Atom::from(document)) return nullptr;
    return target->handle();
}

VtCustomData* get_custom(const VtContainer* bc, int32_t id, int32_t type) {
    if (bc == nullptr) return nullptr;
    const Value* value = of(bc)->find(id);
    if (value == nullptr || value->type != type || !value->custom) return nullptr;
    return value->custom->handle();
}

// Custom values handed to the plug-in count as its blocks until it frees them.
VtCustomData* hand_out(std::unique_ptr<CustomData> data) {
    if (!data) return nullptr;
    if (!allocator().admit(sizeof(CustomData))) return nullptr;
    return data.release()->handle();
}

int32_t get_data(const VtContainer* bc, int32_t id, VtData* out) {
    if (bc == nullptr || out == nullptr) return 0;
    *out = VtData{};
    const Value* value = of(bc)->find(id);
    return value != nullptr && value_to_plugin(*value, *out) ? 1 : 0;
}

int32_t set_data(VtContainer* bc, int32_t id, const VtData* data) {
    if (bc == nullptr || data == nullptr) return 0;
    Value value;
    if (!Value::from_abi(*data, value)) return 0;
    Container::from(bc)->set(id, std::move(value));
    return 1;
}

VtCustomData* custom_alloc(int32_t type) {
    return hand_out(make_custom_data(type));
}

void custom_free(VtCustomData* data) {
    if (data == nullptr) return;
    delete CustomData::from(data);
    allocator().retire(sizeof(CustomData));
}

VtCustomData* custom_clone(const VtCustomData* data) {
    if (data == nullptr) return nullptr;
    return hand_out(CustomData::from(data)->clone());
}

int32_t in_exclude_get_count(const VtCustomData* list) {
    const InExcludeList* of_list = InExcludeList::from(list);
    return of_list != nullptr ? of_list->count() : 0;
}

VtAtom* in_exclude_get_object(const VtCustomData* list, int32_t index, VtAtom* document) {
    const InExcludeList* of_list = InExcludeList::from(list);
    if (of_list == nullptr) return nullptr;
    const Document* in = document != nullptr ? Document::from(document) : nullptr;
    if (document != nullptr && in == nullptr) return nullptr;
    Atom* target = of_list->resolve(index, in);
    return target != nullptr ? target->handle() : nullptr;
}

int32_t spline_make_linear(VtCustomData* curve, int32_t count) {
    SplineCurve* of_curve = SplineCurve::from(curve);
    return of_curve != nullptr && of_curve->make_linear(count) ? 1 : 0;
}

int32_t spline_get_knot_count(const VtCustomData* curve) {
    const SplineCurve* of_curve = SplineCurve::from(curve);
    return of_curve != nullptr ? of_curve->knot_count() : 0;
}

VtSplineKnot* spline_get_knot(VtCustomData* curve, int32_t index) {
    SplineCurve* of_curve = SplineCurve::from(curve);
    return of_curve != nullptr ? of_curve->knot(index) : nullptr;
}

void spline_get_point(const VtCustomData* curve, double t, VtVector* out) {
    if (out == nullptr) return;
    const SplineCurve* of_curve = SplineCurve::from(curve);
    *out = of_curve != nullptr ? of_curve->point(t) : VtVector{t, 0.0, 0.0};
}

const VtContainerTable kTable = {
    .size = sizeof(VtContainerTable),
    .get_int = get_int,
    .get_real = get_real,
    .get_bool = get_bool,
    .get_vector = get_vector,
    .get_link = get_link,
    .get_custom = get_custom,
    .get_data = get_data,
    .set_data = set_data,
    .custom_alloc = custom_alloc,
    .custom_free = custom_free,
    .custom_clone = custom_clone,
    .retired_custom_get_type = nullptr,
    .in_exclude_get_count = in_exclude_get_count,
    .in_exclude_get_object = in_exclude_get_object,
    .spline_make_linear = spline_make_linear,
    .spline_get_knot_count = spline_get_knot_count,
    .spline_get_knot = spline_get_knot,
    .spline_get_point = spline_get_point,
};

} // namespace

bool value_to_plugin(const Value& value, VtData& out) {
    out = VtData{};
    if (!value.is_custom()) return value.to_abi(out);
    out.type = value.type;
    out.value.custom = hand_out(value.custom ? value.custom->clone() : nullptr);
    if (out.value.custom == nullptr) out = VtData{};
    return out.type != VT_DTYPE_NONE;
}

const VtContainerTable* container_table() {
    return &kTable;
}

} // namespace vantri
