// PNG files of pictures, through libpng: 8-bit RGB, no time stamp or other chunk that could
// differ between two runs.
#pragma once

#include "host/Status.h"
#include "host/render/Raster.h"

#include <string>

namespace vantri {

/// Writes the picture to `path`. On failure the error names the file and what went wrong,
/// and no file is left behind.
Status write_png(const std::string& path, const RgbImage& image);

/// The PNG file's bytes in memory (for pictures inside an SVG file).
Result<std::string> encode_png(const RgbImage& image);
/// An RGBA texture as PNG bytes (8 bits per channel, rounded from 16).
Result<std::string> encode_png(const TextureSnapshot& texture);

/// Reads a PNG file into 8-bit RGB (any colour type libpng can turn into it; alpha is
/// dropped). Fails when the file cannot be read.
Result<RgbImage> read_png(const std::string& path);

} // namespace vantri
