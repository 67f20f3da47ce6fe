#include "host/resources/JsonText.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantri {

std::string number_text(double value) {
    char text[40];
    if (value == std::floor(value) && std::fabs(value) < 1e15) {
        std::snprintf(text, sizeof text, "%.0f", value);
        return text;
    }
    for (int digits = 1; digits <= 17; ++digits) {
        std::snprintf(text, sizeof text, "%.*g", digits, value);
        if (std::strtod(text, nullptr) == value) break;
    }
    return text;
}

std::string json_kind(const nlohmann::ordered_json& value) {
    using Kind = nlohmann::ordered_json::value_t;
    switch (value.type()) {
    case Kind::null:
        return "null";
    case Kind::boolean:
        return value.get<bool>() ? "true" : "false";
    case Kind::string:
        return "the string " +
               value.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    case Kind::array:
        return "a list of " + std::to_string(value.size());
    case Kind::object:
        return "an object";
    case Kind::number_float: {
        const std::string text = number_text(value.get<double>());
        const bool plain = text.find_first_of(".en") == std::string::npos;
        return "the number " + text + (plain ? ".0" : "");
    }
    default:
        return "the number " + value.dump();
    }
}

std::string valid_utf8(const std::string& text) {
    const std::string quoted =
        nlohmann::json(text).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return nlohmann::json::parse(quoted).get<std::string>();
}

} // namespace vantri
