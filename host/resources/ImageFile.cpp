#include "host/resources/ImageFile.h"

#include <cstdarg>
#include <cstdio>
#include <tiffio.h>

namespace vantri {
namespace {

/// Beyond this an icon file is surely damaged; it also bounds what a bad header can make
/// us allocate.
constexpr uint64_t kMaxPixels = uint64_t(16384) * 16384;

/// The first error libtiff reported for one file; warnings are dropped.
struct TiffMessages {
    std::string path;
    std::string first_error;
};

/// libtiff's wording without the file name it often repeats (ours leads the error).
std::string format_message(const std::string& path, const char* format, va_list args) {
    char buffer[512];
    std::vsnprintf(buffer, sizeof buffer, format, args);
    std::string text = buffer;
    const std::string prefix = path + ": ";
    if (text.compare(0, prefix.size(), prefix) == 0) text.erase(0, prefix.size());
    return text;
}

#if TIFFLIB_VERSION >= 20221213
int on_error(TIFF*, void* user_data, const char*, const char* format, va_list args) {
    auto* messages = static_cast<TiffMessages*>(user_data);
    if (messages->first_error.empty())
        messages->first_error = format_message(messages->path, format, args);
    return 1; // handled: libtiff prints nothing
}

int on_warning(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}

TIFF* open_quietly(const std::string& path, TiffMessages& messages) {
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (options == nullptr) return nullptr;
    TIFFOpenOptionsSetErrorHandlerExtR(options, on_error, &messages);
    TIFFOpenOptionsSetWarningHandlerExtR(options, on_warning, &messages);
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, static_cast<tmsize_t>(kMaxPixels * 4));
    TIFF* tiff = TIFFOpenExt(path.c_str(), "r", options);
    TIFFOpenOptionsFree(options);
    return tiff;
}
#else
// Older libtiff has only process-wide handlers: silence them (nothing else in the host
// relies on libtiff printing) and report without libtiff's wording.
TIFF* open_quietly(const std::string& path, TiffMessages&) {
    TIFFSetErrorHandler(nullptr);
    TIFFSetWarningHandler(nullptr);
    return TIFFOpen(path.c_str(), "r");
}
#endif

std::string tiff_failure(const std::string& path, const std::string& what,
                         const TiffMessages& messages) {
    std::string text = path + ": " + what;
    if (!messages.first_error.empty()) text += " (" + messages.first_error + ")";
    return text;
}

} // namespace

Status load_tiff(const std::string& path, Image& out) {
    TiffMessages messages;
    messages.path = path;
    TIFF* tiff = open_quietly(path, messages);
    if (tiff == nullptr) {
        std::FILE* probe = std::fopen(path.c_str(), "rb");
        if (probe == nullptr) {
            std::string error = path + ": cannot be opened";
            if (!messages.first_error.empty()) error += " (" + messages.first_error + ")";
            return failure(error);
        }
        std::fclose(probe);
        return failure(tiff_failure(path, "not a readable TIFF image", messages));
    }
    uint32_t width = 0, height = 0;
    TIFFGetField(tiff, TIFFTAG_IMAGEWIDTH, &width);
    TIFFGetField(tiff, TIFFTAG_IMAGELENGTH, &height);
    if (width == 0 || height == 0 || uint64_t(width) * height > kMaxPixels) {
        TIFFClose(tiff);
        return failure(tiff_failure(path,
                                    "TIFF image has an unusable size " + std::to_string(width) +
                                        " x " + std::to_string(height),
                                    messages));
    }
    std::vector<uint32_t> raster(size_t(width) * height);
    const int ok =
        TIFFReadRGBAImageOriented(tiff, width, height, raster.data(), ORIENTATION_TOPLEFT, 0);
    TIFFClose(tiff);
    if (ok == 0 || !messages.first_error.empty())
        return failure(tiff_failure(path, "TIFF image data cannot be decoded", messages));
    Image image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rgba.resize(raster.size() * 4);
    // libtiff hands out premultiplied colour; undo that so that alpha is straight.
    const auto straight = [](uint32_t channel, uint32_t alpha) {
        if (alpha == 0 || alpha == 255) return static_cast<uint8_t>(channel);
        const uint32_t value = (channel * 255 + alpha / 2) / alpha;
        return static_cast<uint8_t>(value > 255 ? 255 : value);
    };
    for (size_t i = 0; i < raster.size(); ++i) {
        const uint32_t pixel = raster[i];
        const uint32_t alpha = TIFFGetA(pixel);
        image.rgba[i * 4 + 0] = straight(TIFFGetR(pixel), alpha);
        image.rgba[i * 4 + 1] = straight(TIFFGetG(pixel), alpha);
        image.rgba[i * 4 + 2] = straight(TIFFGetB(pixel), alpha);
        image.rgba[i * 4 + 3] = static_cast<uint8_t>(alpha);
    }
    out = std::move(image);
    return {};
}

} // namespace vantri
