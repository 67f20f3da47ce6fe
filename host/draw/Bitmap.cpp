#include "host/draw/Bitmap.h"

#include <algorithm>
#include <unordered_map>

namespace vantri {

namespace {

uint64_t g_next_serial = 1;

std::unordered_map<uint64_t, const Bitmap*>& live_bitmaps() {
    static std::unordered_map<uint64_t, const Bitmap*> live;
    return live;
}

} // namespace

Bitmap::Bitmap(int32_t width, int32_t height)
    : width_(std::max(width, 0)), height_(std::max(height, 0)),
      pixels_(static_cast<size_t>(width_) * static_cast<size_t>(height_)),
      serial_(g_next_serial++) {
    live_bitmaps()[serial_] = this;
}

Bitmap::Bitmap(const Image& image) : Bitmap(image.width, image.height) {
    for (size_t i = 0; i < pixels_.size(); ++i) {
        const uint8_t* p = &image.rgba[i * 4];
        pixels_[i] = Pixel16{widen_channel(p[0]), widen_channel(p[1]), widen_channel(p[2]),
                             widen_channel(p[3])};
    }
}

Bitmap::Bitmap(const Bitmap& other)
    : width_(other.width_), height_(other.height_), pixels_(other.pixels_),
      serial_(g_next_serial++), copied_from_(other.serial_) {
    live_bitmaps()[serial_] = this;
}

Bitmap::~Bitmap() {
    live_bitmaps().erase(serial_);
}

Pixel16 Bitmap::pixel(int32_t x, int32_t y) const {
    if (!contains(x, y)) return Pixel16{};
    return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void Bitmap::set_pixel(int32_t x, int32_t y, const Pixel16& p) {
    if (!contains(x, y)) return;
    pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = p;
}

void Bitmap::fill(const Pixel16& p) {
    std::fill(pixels_.begin(), pixels_.end(), p);
}

Image Bitmap::to_image() const {
    Image image;
    image.width = width_;
    image.height = height_;
    image.rgba.resize(pixels_.size() * 4);
    for (size_t i = 0; i < pixels_.size(); ++i) {
        image.rgba[i * 4 + 0] = narrow_channel(pixels_[i].r);
        image.rgba[i * 4 + 1] = narrow_channel(pixels_[i].g);
        image.rgba[i * 4 + 2] = narrow_channel(pixels_[i].b);
        image.rgba[i * 4 + 3] = narrow_channel(pixels_[i].a);
    }
    return image;
}

const Bitmap* Bitmap::find_serial(uint64_t serial) {
    auto it = live_bitmaps().find(serial);
    return it != live_bitmaps().end() ? it->second : nullptr;
}

} // namespace vantri
