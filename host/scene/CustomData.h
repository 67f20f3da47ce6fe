// Custom parameter values (in/exclude lists, spline curves): a small class hierarchy with a
// registry that makes an empty value of a type id.
#pragma once

#include "abi/host_abi.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

namespace vantri {

class CustomData {
  public:
    virtual ~CustomData() = default;
    virtual int32_t type() const = 0;
    virtual std::unique_ptr<CustomData> clone() const = 0;
    /// A short description of the value for people ("2 objects", "3 knots").
    virtual std::string summary() const { return "set"; }

    VtCustomData* handle() { return reinterpret_cast<VtCustomData*>(this); }
    static CustomData* from(VtCustomData* h) { return reinterpret_cast<CustomData*>(h); }
    static const CustomData* from(const VtCustomData* h) {
        return reinterpret_cast<const CustomData*>(h);
    }
};

using CustomDataFactory = std::function<std::unique_ptr<CustomData>()>;

/// A new empty value of `type`, or null for an unknown type.
std::unique_ptr<CustomData> make_custom_data(int32_t type);

} // namespace vantri
