// A parameter container: values by id, in the order they were first set. A table by id finds
// a value without a walk through them all: the plug-in reads parameters for every agent of
// every frame.
#pragma once

#include "host/scene/Value.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace vantri {

class Container {
  public:
    const Value* find(int32_t id) const;
    Value* find(int32_t id);
    void set(int32_t id, Value value);
    void remove(int32_t id);
    const std::vector<std::pair<int32_t, Value>>& entries() const { return entries_; }
    void clear() {
        entries_.clear();
        table_.clear();
    }

    /// Typed reads with the host's conversions: an integer read truncates a real toward zero
    /// (saturating), a real read widens an integer, a bool is "non-zero"; missing: preset.
    int32_t get_int(int32_t id, int32_t preset = 0) const;
    double get_real(int32_t id, double preset = 0.0) const;
    bool get_bool(int32_t id, bool preset = false) const;
    VtVector get_vector(int32_t id) const;

    VtContainer* handle() { return reinterpret_cast<VtContainer*>(this); }
    static Container* from(VtContainer* h) { return reinterpret_cast<Container*>(h); }
    static const Container* from(const VtContainer* h) {
        return reinterpret_cast<const Container*>(h);
    }

  private:
    /// Where the entry of `id` stands in entries_, or -1.
    int64_t position(int32_t id) const;
    /// Rebuilds the table by id after the ids changed.
    void reindex();

    std::vector<std::pair<int32_t, Value>> entries_;
    /// The position of every id from table_base_ on, -1 for an id not set; empty when the
    /// ids spread too wide for a table.
    std::vector<int32_t> table_;
    int32_t table_base_ = 0;
};

} // namespace vantri
