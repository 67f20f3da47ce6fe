#include "app/QuantityText.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantri {

std::string count_text(uint64_t count) {
    std::string digits = std::to_string(count);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<size_t>(at), ",");
    return digits;
}

std::string size_text(double bytes) {
    const char* units[] = {"bytes", "KiB", "MiB", "GiB", "TiB", "PiB", "EiB"};
    int unit = 0;
    while (unit < 6 && bytes >= 1024) {
        bytes /= 1024;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, unit == 0 ? "%.0f %s" : "%.1f %s", bytes, units[unit]);
    return text;
}

std::string duration_text(double seconds) {
    seconds = seconds > 0 ? std::min(seconds, 1e12) : 0.0; // nan as none
    char text[48];
    if (seconds < 9.95) {
        std::snprintf(text, sizeof text, "%.1f s", seconds);
        return text;
    }
    const long long whole = std::llround(seconds);
    if (whole < 60)
        std::snprintf(text, sizeof text, "%lld s", whole);
    else if (whole < 3600)
        std::snprintf(text, sizeof text, "%lld min %lld s", whole / 60, whole % 60);
    else
        std::snprintf(text, sizeof text, "%lld h %lld min", whole / 3600, whole % 3600 / 60);
    return text;
}

} // namespace vantri
