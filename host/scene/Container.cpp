#include "scene/Container.h"

#include <algorithm>
#include <cmath>

namespace vantri {

int64_t Container::position(int32_t id) const {
    const auto at = std::lower_bound(
        index_.begin(), index_.end(), id,
        [](const std::pair<int32_t, uint32_t>& entry, int32_t key) { return entry.first < key; });
    return at != index_.end() && at->first == id ? static_cast<int64_t>(at->second) : -1;
}

const Value* Container::find(int32_t id) const {
    const int64_t at = position(id);
    return at < 0 ? nullptr : &entries_[static_cast<size_t>(at)].second;
}

Value* Container::find(int32_t id) {
    const int64_t at = position(id);
    return at < 0 ? nullptr : &entries_[static_cast<size_t>(at)].second;
}

void Container::set(int32_t id, Value value) {
    if (Value* existing = find(id)) {
        *existing = std::move(value);
        return;
    }
    const auto at = std::lower_bound(
        index_.begin(), index_.end(), id,
        [](const std::pair<int32_t, uint32_t>& entry, int32_t key) { return entry.first < key; });
    index_.insert(at, {id, static_cast<uint32_t>(entries_.size())});
    entries_.emplace_back(id, std::move(value));
}

void Container::remove(int32_t id) {
    const int64_t at = position(id);
    if (at < 0) return;
    entries_.erase(entries_.begin() + at);
    for (auto it = index_.begin(); it != index_.end();) {
        if (it->first == id) {
            it = index_.erase(it);
            continue;
        }
        if (it->second > at) --it->second;
        ++it;
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
