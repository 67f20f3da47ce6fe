// PNG files of pictures, through libpng: 8-bit RGB, no time stamp or other chunk that could
// differ between two runs.
#pragma once

#include "host/render/Raster.h"

#include <string>

namespace vantri {

/// Writes the picture to `path`. On failure returns false with `error` naming the file and
/// what went wrong, and leaves no file behind.
bool write_png(const std::string& path, const RgbImage& image, std::string& error);

/// The PNG file's bytes in memory (for pictures inside an SVG file).
bool encode_png(const RgbImage& image, std::string& bytes, std::string& error);
/// An RGBA texture as PNG bytes (8 bits per channel, rounded from 16).
bool encode_png(const TextureSnapshot& texture, std::string& bytes, std::string& error);

/// Reads a PNG file into 8-bit RGB (any colour type libpng can turn into it; alpha is
/// dropped). False with `error` when the file cannot be read.
bool read_png(const std::string& path, RgbImage& image, std::string& error);

} // namespace vantri
