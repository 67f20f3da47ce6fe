// Image files of a resource folder: the icons of the plug-in's object types.
#pragma once

#include "host/Status.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

/// 8-bit RGBA pixels, rows top to bottom, alpha not premultiplied.
struct Image {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgba; ///< width * height * 4 bytes
};

/// Decodes the first image of a TIFF file with libtiff, whatever its layout (strips or
/// tiles, any bit depth and photometric libtiff can turn into RGBA). libtiff's own messages
/// go nowhere: on failure leaves `out` untouched and fails with "path: what went wrong".
Status load_tiff(const std::string& path, Image& out);

} // namespace vantri
