// A clip map: a small bitmap that the plug-in paints into with a colour and an alpha
// (filled rectangles and text in the host's bitmap font), then hands to the viewport as a
// texture.
#pragma once

#include "host/draw/Bitmap.h"

#include <memory>
#include <string>

namespace vantri {

class ClipMap {
  public:
    /// The largest picture a clip map makes, in pixels (a bound on what a bad size asks for).
    static constexpr int64_t kMaxPixels = int64_t(16384) * 16384;

    /// Makes the picture width x height pixels, transparent black, at `bits` per pixel (24 or
    /// 32). False (the clip map unchanged) for any other depth, a size below 1, or one above
    /// kMaxPixels.
    bool init(int32_t width, int32_t height, int32_t bits);
    /// Whether init has succeeded.
    bool ready() const { return bitmap_ != nullptr; }

    /// The colour of what is painted next: channels 0 to 255 (clamped); alpha 255 is opaque.
    void set_color(int32_t r, int32_t g, int32_t b, int32_t a);
    /// Paints the rectangle with corners (x1, y1) and (x2, y2), both included, over what is
    /// there (source over); the parts outside the picture are left out.
    void fill_rect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    /// Writes a line of text with the top-left corner of its first character at (x, y).
    void text_at(int32_t x, int32_t y, const std::string& text);

    int32_t text_width(const std::string& text) const;
    int32_t text_height() const;

    /// The picture; null before init. Owned by the clip map, valid until the next init or
    /// until the clip map goes.
    Bitmap* bitmap() { return bitmap_.get(); }
    const Bitmap* bitmap() const { return bitmap_.get(); }

  private:
    void paint(int64_t x, int64_t y);

    std::unique_ptr<Bitmap> bitmap_;
    Pixel16 colour_{0, 0, 0, 65535};
    int32_t bits_ = 32;
};

/// `top` painted over `bottom` with its alpha (source over), in 16-bit integers.
Pixel16 paint_over(const Pixel16& bottom, const Pixel16& top);

} // namespace vantri
