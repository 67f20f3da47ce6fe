// The host's bitmaps: RGBA images with 16-bit channels, as the plug-in sees them through the
// bitmap table (icons it loads, clip maps' pictures, copies it tints).
#pragma once

#include "host/resources/ImageFile.h"

#include <cstdint>
#include <vector>

namespace vantri {

/// One pixel: red, green, blue and alpha, each 0 to 65535 (alpha 65535 is opaque).
struct Pixel16 {
    uint16_t r = 0, g = 0, b = 0, a = 0;
};

inline bool operator==(const Pixel16& x, const Pixel16& y) {
    return x.r == y.r && x.g == y.g && x.b == y.b && x.a == y.a;
}
inline bool operator!=(const Pixel16& x, const Pixel16& y) {
    return !(x == y);
}

/// An 8-bit channel widened to 16 bits so that 255 becomes 65535.
inline uint16_t widen_channel(uint8_t c) {
    return static_cast<uint16_t>(c * 257);
}
/// A 16-bit channel narrowed to 8 bits, rounded.
inline uint8_t narrow_channel(uint16_t c) {
    return static_cast<uint8_t>((c + 128) / 257);
}

/// A picture of width x height pixels, rows top to bottom. Every bitmap has a serial number
/// that stays unique for the life of the process, so that a display list can say which
/// bitmap a quad was drawn with, and where a copy came from.
class Bitmap {
  public:
    /// A transparent black bitmap; negative sizes count as 0.
    Bitmap(int32_t width, int32_t height);
    /// The 8-bit image widened to 16-bit channels.
    explicit Bitmap(const Image& image);
    /// A copy with the same pixels and a new serial; `copied_from` is the source's serial.
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap&) = delete;
    ~Bitmap();

    int32_t width() const { return width_; }
    int32_t height() const { return height_; }
    uint64_t serial() const { return serial_; }
    /// The serial of the bitmap this one was copied from, 0 when it is no copy.
    uint64_t copied_from() const { return copied_from_; }
    /// Set for the picture a clip map draws into.
    bool owned_by_clip_map() const { return owned_by_clip_map_; }
    void set_owned_by_clip_map(bool owned) { owned_by_clip_map_ = owned; }

    bool contains(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width_ && y < height_;
    }
    /// The pixel at (x, y); transparent black outside the bitmap.
    Pixel16 pixel(int32_t x, int32_t y) const;
    /// Writes the pixel at (x, y); nothing outside the bitmap.
    void set_pixel(int32_t x, int32_t y, const Pixel16& p);
    const std::vector<Pixel16>& pixels() const { return pixels_; }
    /// Clears every pixel to `p`.
    void fill(const Pixel16& p);

    /// The bitmap with 8-bit channels (rounded).
    Image to_image() const;

    /// The live bitmap with this serial, or null.
    static const Bitmap* find_serial(uint64_t serial);

  private:
    int32_t width_ = 0, height_ = 0;
    std::vector<Pixel16> pixels_;
    uint64_t serial_ = 0;
    uint64_t copied_from_ = 0;
    bool owned_by_clip_map_ = false;
};

} // namespace vantri
