#include "scenefile/JsonValues.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

namespace vantri {

std::string json_number_text(const Json& value) {
    if (value.is_number_integer()) return value.dump();
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", value.get<double>());
    // The shortest form that reads back as the same double.
    for (int digits = 1; digits <= 17; ++digits) {
        char shorter[40];
        std::snprintf(shorter, sizeof shorter, "%.*g", digits, value.get<double>());
        if (std::strtod(shorter, nullptr) == value.get<double>()) return shorter;
    }
    return text;
}

std::string json_kind(const Json& value) {
    switch (value.type()) {
    case Json::value_t::null:
        return "null";
    case Json::value_t::boolean:
        return value.get<bool>() ? "true" : "false";
    case Json::value_t::string:
        return "the string " + value.dump();
    case Json::value_t::array:
        return "a list of " + std::to_string(value.size());
    case Json::value_t::object:
        return "an object";
    case Json::value_t::number_integer:
    case Json::value_t::number_unsigned:
    case Json::value_t::number_float:
        return "the number " + json_number_text(value);
    default:
        return "a value of another kind";
    }
}

bool json_to_int32(const Json& value, int32_t& out) {
    if (value.is_number_unsigned()) {
        const auto v = value.get<uint64_t>();
        if (v > static_cast<uint64_t>(std::numeric_limits<int32_t>::max())) return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    if (value.is_number_integer()) {
        const auto v = value.get<int64_t>();
        if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
            return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    if (value.is_number_float()) {
        const double v = value.get<double>();
        if (!std::isfinite(v) || v != std::floor(v) || v < std::numeric_limits<int32_t>::min() ||
            v > std::numeric_limits<int32_t>::max())
            return false;
        out = static_cast<int32_t>(v);
        return true;
    }
    return false;
}

bool json_to_real(const Json& value, double& out) {
    if (!value.is_number()) return false;
    const double v = value.get<double>();
    if (!std::isfinite(v)) return false;
    out = v;
    return true;
}

bool json_to_vector(const Json& value, VtVector& out) {
    if (!value.is_array() || value.size() != 3) return false;
    VtVector v{};
    if (!json_to_real(value[0], v.x) || !json_to_real(value[1], v.y) ||
        !json_to_real(value[2], v.z))
        return false;
    out = v;
    return true;
}

} // namespace vantri
