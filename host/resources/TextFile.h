// Reading a resource file whole, with an error a person can act on when it cannot be read.
#pragma once

#include "host/Status.h"

#include <string>

namespace vantri {

/// Reads the file at `path` into `text`. On failure leaves `text` as it was and fails with
/// "path: why it could not be read".
Status read_text_file(const std::string& path, std::string& text);

} // namespace vantri
