// One parameter value as the host stores it in a container.
#pragma once

#include "host/scene/CustomData.h"

#include <string>

namespace vantri {

class Atom;

/// A typed value: integer (booleans too), real, vector, time, string, link or custom data.
/// A link is weak: it holds the target's serial number and finds it only while it exists.
struct Value {
    int32_t type = VT_DTYPE_NONE;
    int32_t integer = 0;
    double real = 0.0;
    VtVector vector{};
    VtTime time{0.0, 1.0};
    std::string text;
    uint64_t link = 0;
    std::unique_ptr<CustomData> custom;

    Value() = default;
    Value(const Value& other);
    Value& operator=(const Value& other);
    Value(Value&&) = default;
    Value& operator=(Value&&) = default;

    static Value of_int(int32_t v);
    static Value of_real(double v);
    static Value of_vector(const VtVector& v);
    static Value of_string(const std::string& v);
    static Value of_link(const Atom* target);
    static Value of_custom(std::unique_ptr<CustomData> v);

    /// A copy of a value that crosses from the plug-in; false when it cannot be stored.
    static bool from_abi(const VtData& data, Value& out);
    /// The value as it crosses to the plug-in (a string points into this value). Custom
    /// values are not converted here: they cross as counted copies.
    bool to_abi(VtData& out) const;

    bool is_custom() const { return type >= 1000000; }
    /// The linked atom, or null when it no longer exists.
    Atom* target() const;
};

} // namespace vantri
