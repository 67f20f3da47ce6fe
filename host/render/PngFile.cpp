#include "host/render/PngFile.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <memory>

namespace vantri {

namespace {

/// libpng reports errors through a callback that must not return; it longjmps back into the
/// function that set up the jump buffer. The message is kept for the caller.
void on_error(png_structp png, png_const_charp message) {
    auto* error = static_cast<std::string*>(png_get_error_ptr(png));
    if (error != nullptr && error->empty()) *error = message;
    png_longjmp(png, 1);
}

void on_warning(png_structp, png_const_charp) {}

void append_bytes(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<std::string*>(png_get_io_ptr(png));
    out->append(reinterpret_cast<const char*>(data), length);
}

void no_flush(png_structp) {}

// The functions that set libpng's jump point do nothing but call libpng on plain values: a
// longjmp back into a function that builds or changes C++ objects after its setjmp would leave
// them undefined. Each returns false when libpng reported an error (the message is then in
// the string given to the error callback); the caller tidies up and words the error.

/// Writes the header and every row of `channels` bytes per pixel (3: RGB, 4: RGBA).
bool write_image(png_structp png, png_infop info, std::string* out, int32_t width, int32_t height,
                 int channels, const uint8_t* pixels) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, append_bytes, no_flush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                 channels == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    const size_t stride = static_cast<size_t>(width) * static_cast<size_t>(channels);
    for (int32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(pixels + stride * static_cast<size_t>(y)));
    png_write_end(png, nullptr);
    return true;
}

/// Reads the header and asks for 8-bit RGB rows; their size is then in `info`.
bool read_header(png_structp png, png_infop info, std::FILE* file) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_read_update_info(png, info);
    return true;
}

/// Reads every row into `rows` and the rest of the file.
bool read_rows(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

/// Encodes rows of `channels` bytes per pixel (3: RGB, 4: RGBA) into `out`.
Result<std::string> encode(int32_t width, int32_t height, int channels, const uint8_t* pixels) {
    std::string message;
    png_structp png =
        png_create_write_struct(PNG_LIBPNG_VER_STRING, &message, on_error, on_warning);
    if (png == nullptr) return failure("cannot start the PNG encoder");
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return failure("cannot start the PNG encoder");
    }
    std::string out;
    const bool written = write_image(png, info, &out, width, height, channels, pixels);
    png_destroy_write_struct(&png, &info);
    if (!written) return failure("PNG encoder: " + message);
    return out;
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};

} // namespace

Result<std::string> encode_png(const RgbImage& image) {
    return encode(image.width, image.height, 3, image.rgb.data());
}

Result<std::string> encode_png(const TextureSnapshot& texture) {
    std::vector<uint8_t> rgba(texture.pixels.size() * 4);
    for (size_t i = 0; i < texture.pixels.size(); ++i) {
        rgba[i * 4 + 0] = narrow_channel(texture.pixels[i].r);
        rgba[i * 4 + 1] = narrow_channel(texture.pixels[i].g);
        rgba[i * 4 + 2] = narrow_channel(texture.pixels[i].b);
        rgba[i * 4 + 3] = narrow_channel(texture.pixels[i].a);
    }
    return encode(texture.width, texture.height, 4, rgba.data());
}

Status write_png(const std::string& path, const RgbImage& image) {
    const Result<std::string> bytes = encode_png(image);
    if (!bytes) return failure(path + ": " + bytes.message());
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "wb"));
    if (file == nullptr) return failure(path + ": cannot create the file: " + std::strerror(errno));
    const bool written = std::fwrite(bytes->data(), 1, bytes->size(), file.get()) == bytes->size();
    const bool closed = std::fclose(file.release()) == 0;
    if (!written || !closed) {
        Error error = failure(path + ": cannot write the file: " + std::strerror(errno));
        std::remove(path.c_str());
        return error;
    }
    return {};
}

Result<RgbImage> read_png(const std::string& path) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (file == nullptr) return failure(path + ": cannot open the file: " + std::strerror(errno));
    std::string message;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &message, on_error, on_warning);
    if (png == nullptr) return failure(path + ": cannot start the PNG decoder");
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return failure(path + ": cannot start the PNG decoder");
    }
    if (!read_header(png, info, file.get())) {
        png_destroy_read_struct(&png, &info, nullptr);
        return failure(path + ": not a PNG picture this program can read: " + message);
    }
    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (width == 0 || height == 0 || width > uint32_t(kMaxPictureSide) ||
        height > uint32_t(kMaxPictureSide) || png_get_rowbytes(png, info) != width * 3) {
        png_destroy_read_struct(&png, &info, nullptr);
        return failure(path + ": a picture of a size or layout this program does not read");
    }
    std::vector<uint8_t> rgb(size_t(width) * height * 3);
    std::vector<png_bytep> rows(height);
    for (png_uint_32 y = 0; y < height; ++y)
        rows[y] = rgb.data() + size_t(y) * width * 3;
    const bool read = read_rows(png, rows.data());
    png_destroy_read_struct(&png, &info, nullptr);
    if (!read) return failure(path + ": not a PNG picture this program can read: " + message);
    RgbImage image;
    image.width = static_cast<int32_t>(width);
    image.height = static_cast<int32_t>(height);
    image.rgb = std::move(rgb);
    return image;
}

} // namespace vantri
