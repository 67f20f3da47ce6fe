#include "plugin/hostapi/BaseBitmap.h"

#include "plugin/hostapi/host_binding.h"

int32_t BaseBitmap::GetBw() const {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return 0;
    return bitmaps->get_width(reinterpret_cast<const VtBitmap*>(this));
}

int32_t BaseBitmap::GetBh() const {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return 0;
    return bitmaps->get_height(reinterpret_cast<const VtBitmap*>(this));
}

BaseBitmap* BaseBitmap::GetClone() const {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return nullptr;
    return reinterpret_cast<BaseBitmap*>(bitmaps->clone(Handle()));
}

void BaseBitmap::Free(BaseBitmap*& bitmap) {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmap != nullptr && bitmaps != nullptr) bitmaps->free(bitmap->Handle());
    bitmap = nullptr;
}

BitmapPixel BaseBitmap::GetPixel(int32_t x, int32_t y) const {
    uint16_t rgba[4] = {0, 0, 0, 0};
    if (const VtBitmapTable* bitmaps = vt::BitmapTable()) bitmaps->get_pixel(Handle(), x, y, rgba);
    return BitmapPixel{rgba[0], rgba[1], rgba[2], rgba[3]};
}

void BaseBitmap::SetPixel(int32_t x, int32_t y, const BitmapPixel& pixel) {
    const uint16_t rgba[4] = {pixel.r, pixel.g, pixel.b, pixel.a};
    if (const VtBitmapTable* bitmaps = vt::BitmapTable()) bitmaps->set_pixel(Handle(), x, y, rgba);
}
