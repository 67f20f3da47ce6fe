#include "scene/Container.h"

#include <cmath>

namespace vantri {

const Value* Container::find(int32_t id) const {
    for (const auto& entry : entries_) {
        if (entry.first == id) return &entry.second;
    }
    return nullptr;
}

Value* Container::find(int32_t id) {
    for (auto& entry : entries_) {
        if (entry.first == id) return &entry.second;
    }
    return nullptr;
}

void Container::set(int32_t id, Value value) {
    if (Value* existing = find(id)) {
        *existing = std::move(value);
        return;
    }
    entries_.emplace_back(id, std::move(value));
}

void Container::remove(int32_t id) {
    for (auto it = entries_.begin(); it != entries_.end(); ++it) {
        if (it->first == id) {
            entries_.erase(it);
            return;
        }
    }
}

int32_t Container::get_int(int32_t id, int32_t preset) const {
    const Value* v = find(id);
    if (v == nullptr) return preset;
    if (v->type == VT_DTYPE_LONG) return v->integer;
    if (v->type == VT_DTYPE_REAL) {
        const double r = v->real;
        if (std::isnan(r)) return 0;
        if (r >= 2147483647.0) return 2147483647;
        if (r <= -2147483648.0) return INT32_MIN;
        return static_cast<int32_t>(r);
    }
    return preset;
}

double Container::get_real(int32_t id, double preset) const {
    const Value* v = find(id);
    if (v == nullptr) return preset;
    if (v->type == VT_DTYPE_REAL) return v->real;
    if (v->type == VT_DTYPE_LONG) return static_cast<double>(v->integer);
    return preset;
}

bool Container::get_bool(int32_t id, bool preset) const {
    const Value* v = find(id);
    if (v == nullptr) return preset;
    if (v->type == VT_DTYPE_LONG) return v->integer != 0;
    if (v->type == VT_DTYPE_REAL) return v->real != 0.0;
    return preset;
}

VtVector Container::get_vector(int32_t id) const {
    const Value* v = find(id);
    if (v == nullptr || v->type != VT_DTYPE_VECTOR) return VtVector{0, 0, 0};
    return v->vector;
}

}  // namespace vantri
