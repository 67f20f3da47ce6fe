// Images the plug-in and the host hand each other: icons, clip maps' pictures and copies.
#pragma once

#include "plugin/hostapi/String.h"

/// One pixel: red, green, blue and alpha, each 0 to 65535 (alpha 65535 is opaque).
struct BitmapPixel {
    uint16_t r = 0, g = 0, b = 0, a = 0;
};

/// An image of 16-bit channels, a host handle.
class BaseBitmap {
  public:
    BaseBitmap() = delete;
    ~BaseBitmap() = delete;
    int32_t GetBw() const;
    int32_t GetBh() const;

    /// A new bitmap with the same size and pixels, owned by the caller until Free; null when
    /// memory is short.
    BaseBitmap* GetClone() const;
    /// Frees a bitmap the caller owns (a clone or a loaded image) and sets the pointer to null.
    static void Free(BaseBitmap*& bitmap);

    /// Pixel (x, y), x from the left and y from the top; transparent black outside.
    BitmapPixel GetPixel(int32_t x, int32_t y) const;
    /// Writes pixel (x, y); nothing outside the bitmap.
    void SetPixel(int32_t x, int32_t y, const BitmapPixel& pixel);

    const VtBitmap* Handle() const { return reinterpret_cast<const VtBitmap*>(this); }
    VtBitmap* Handle() { return reinterpret_cast<VtBitmap*>(this); }
};

/// An image loaded from the plug-in's res folder and freed with this object.
class AutoBitmap {
  public:
    explicit AutoBitmap(const String& name);
    ~AutoBitmap();
    AutoBitmap(const AutoBitmap&) = delete;
    AutoBitmap& operator=(const AutoBitmap&) = delete;
    /// The image, or null when it could not be read.
    operator BaseBitmap*() const { return bitmap_; } // NOLINT

  private:
    BaseBitmap* bitmap_ = nullptr;
};
