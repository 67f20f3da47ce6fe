#include "BaseBitmap.h"

#include "host_binding.h"

int32_t BaseBitmap::GetBw() const {
    return vt::Tables()->bitmaps->get_width(reinterpret_cast<const VtBitmap*>(this));
}

int32_t BaseBitmap::GetBh() const {
    return vt::Tables()->bitmaps->get_height(reinterpret_cast<const VtBitmap*>(this));
}

BaseBitmap* BaseBitmap::GetClone() const {
    return reinterpret_cast<BaseBitmap*>(vt::Host()->bitmaps->clone(Handle()));
}

void BaseBitmap::Free(BaseBitmap*& bitmap) {
    if (bitmap != nullptr) vt::Host()->bitmaps->free(bitmap->Handle());
    bitmap = nullptr;
}

BitmapPixel BaseBitmap::GetPixel(int32_t x, int32_t y) const {
    uint16_t rgba[4] = {0, 0, 0, 0};
    vt::Host()->bitmaps->get_pixel(Handle(), x, y, rgba);
    return BitmapPixel{rgba[0], rgba[1], rgba[2], rgba[3]};
}

void BaseBitmap::SetPixel(int32_t x, int32_t y, const BitmapPixel& pixel) {
    const uint16_t rgba[4] = {pixel.r, pixel.g, pixel.b, pixel.a};
    vt::Host()->bitmaps->set_pixel(Handle(), x, y, rgba);
}
