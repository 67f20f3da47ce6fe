// Reading a resource file whole, with an error a person can act on when it cannot be read.
#pragma once

#include <string>

namespace vantri {

/// Reads the file at `path` into `text`. On failure returns false, leaves `text` as it was
/// and sets `error` to "path: why it could not be read".
bool read_text_file(const std::string& path, std::string& text, std::string& error);

} // namespace vantri
