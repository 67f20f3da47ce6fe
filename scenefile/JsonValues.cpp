#include "scenefile/JsonValues.h"

#include <cmath>
#include <limits>

namespace vantri {

std::string json_number_text(const Json& value) {
    return value.is_number_integer() ? value.dump() : number_text(value.get<double>());
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
