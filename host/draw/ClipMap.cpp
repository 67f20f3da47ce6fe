#include "host/draw/ClipMap.h"

#include "host/draw/BitmapFont.h"

#include <algorithm>

namespace vantri {

namespace {

uint16_t channel(int32_t value) {
    return widen_channel(static_cast<uint8_t>(std::clamp(value, 0, 255)));
}

} // namespace

Pixel16 paint_over(const Pixel16& bottom, const Pixel16& top) {
    constexpr uint64_t kFull = 65535;
    const uint64_t ta = top.a;
    // What shows of the bottom through the top, as an alpha.
    const uint64_t under = bottom.a * (kFull - ta) / kFull;
    const uint64_t alpha = ta + under;
    if (alpha == 0) return Pixel16{};
    const auto mix = [&](uint16_t t, uint16_t b) {
        return static_cast<uint16_t>((t * ta + b * under) / alpha);
    };
    return Pixel16{mix(top.r, bottom.r), mix(top.g, bottom.g), mix(top.b, bottom.b),
                   static_cast<uint16_t>(alpha)};
}

bool ClipMap::init(int32_t width, int32_t height, int32_t bits) {
    if (bits != 24 && bits != 32) return false;
    if (width < 1 || height < 1 || int64_t(width) * height > kMaxPixels) return false;
    auto bitmap = std::make_unique<Bitmap>(width, height);
    bitmap->set_owned_by_clip_map(true);
    // A picture without an alpha channel starts opaque black.
    if (bits == 24) bitmap->fill(Pixel16{0, 0, 0, 65535});
    bitmap_ = std::move(bitmap);
    bits_ = bits;
    return true;
}

void ClipMap::set_color(int32_t r, int32_t g, int32_t b, int32_t a) {
    colour_ = Pixel16{channel(r), channel(g), channel(b), channel(a)};
}

void ClipMap::paint(int64_t x, int64_t y) {
    if (x < 0 || y < 0 || x >= bitmap_->width() || y >= bitmap_->height()) return;
    const auto px = static_cast<int32_t>(x), py = static_cast<int32_t>(y);
    Pixel16 p = paint_over(bitmap_->pixel(px, py), colour_);
    if (bits_ == 24) p.a = 65535;
    bitmap_->set_pixel(px, py, p);
}

void ClipMap::fill_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (!ready()) return;
    const int32_t left = std::max(std::min(x1, x2), 0);
    const int32_t right = std::min(std::max(x1, x2), bitmap_->width() - 1);
    const int32_t top = std::max(std::min(y1, y2), 0);
    const int32_t bottom = std::min(std::max(y1, y2), bitmap_->height() - 1);
    for (int32_t y = top; y <= bottom; ++y) {
        for (int32_t x = left; x <= right; ++x)
            paint(x, y);
    }
}

void ClipMap::text_at(int32_t x, int32_t y, const std::string& text) {
    if (!ready()) return;
    bitmap_font::for_each_pixel(text, x, y, [&](int64_t px, int64_t py) { paint(px, py); });
}

int32_t ClipMap::text_width(const std::string& text) const {
    return bitmap_font::text_width(text);
}

int32_t ClipMap::text_height() const {
    return bitmap_font::text_height();
}

} // namespace vantri
