// Naming JSON values and numbers in messages, the same way for resource files and scene files.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace vantri {

/// A number in the shortest text that reads back as the same double ("0.1", "1e+20"); a
/// whole number below 10^15 is written out in full ("1001").
std::string number_text(double value);

/// What a value is, for messages: "the string \"x\"", "a list of 2", "true", "the number 2.5".
/// A number written with a fraction or an exponent keeps one ("the number 1001.0"), so that
/// it stays distinct from the whole number 1001.
std::string json_kind(const nlohmann::ordered_json& value);

/// `text` with each byte that is not part of valid UTF-8 replaced by U+FFFD: `text` itself
/// when it is valid. For names that are only shown (a file name in a written file).
std::string valid_utf8(const std::string& text);

} // namespace vantri
