#include "host/scene/Container.h"

#include <algorithm>
#include <cmath>

namespace vantri {

// Ids of one object type stand close together (1000 and up), so a table by id answers at
// once. A container of a few values (an instance's link) looks through them instead, and so
// does one whose ids spread too wide for a table.
constexpr size_t kFewest = 4;
constexpr int64_t kWidestTable = 4096;

void Container::reindex() {
    table_.clear();
    if (entries_.size() <= kFewest) return;
    int64_t low = entries_.front().first, high = low;
    for (const auto& entry : entries_) {
        low = std::min<int64_t>(low, entry.first);
        high = std::max<int64_t>(high, entry.first);
    }
    if (high - low + 1 > kWidestTable) return;
    table_base_ = static_cast<int32_t>(low);
    table_.assign(static_cast<size_t>(high - low + 1), -1);
    for (size_t at = 0; at < entries_.size(); ++at)
        table_[static_cast<size_t>(entries_[at].first - low)] = static_cast<int32_t>(at);
}

int64_t Container::position(int32_t id) const {
    if (!table_.empty()) {
        const int64_t at = static_cast<int64_t>(id) - table_base_;
        if (at < 0 || at >= static_cast<int64_t>(table_.size())) return -1;
        return table_[static_cast<size_t>(at)];
    }
    for (size_t at = 0; at < entries_.size(); ++at) {
        if (entries_[at].first == id) return static_cast<int64_t>(at);
    }
    return -1;
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
    entries_.emplace_back(id, std::move(value));
    reindex();
}

void Container::remove(int32_t id) {
    const int64_t at = position(id);
    if (at < 0) return;
    entries_.erase(entries_.begin() + at);
    reindex();
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

} // namespace vantri
