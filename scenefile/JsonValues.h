// Reading plain values (whole numbers, vectors) out of scene-file JSON. What a JSON value is,
// for error messages, is the host's json_kind (host/resources/JsonText.h).
#pragma once

#include "host/resources/JsonText.h"
#include "scenefile/SceneFile.h"

namespace vantri {

/// The value as a number in the shortest text that reads back exactly.
std::string json_number_text(const Json& value);

/// A whole number within 32 bits (2 and 2.0 both count); false otherwise.
bool json_to_int32(const Json& value, int32_t& out);

/// A finite number; false otherwise.
bool json_to_real(const Json& value, double& out);

/// A list of three finite numbers; false otherwise.
bool json_to_vector(const Json& value, VtVector& out);

} // namespace vantri
