#include "plugin/hostapi/GeClipMap.h"

#include "plugin/hostapi/host_binding.h"

GeClipMap* GeClipMap::Alloc() {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return nullptr;
    return reinterpret_cast<GeClipMap*>(bitmaps->clip_map_alloc());
}

void GeClipMap::Free(GeClipMap*& map) {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (map != nullptr && bitmaps != nullptr) bitmaps->clip_map_free(map->Handle());
    map = nullptr;
}

Bool GeClipMap::Init(int32_t w, int32_t h, int32_t bits) {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return FALSE;
    return bitmaps->clip_map_init(Handle(), w, h, bits) != 0;
}

int32_t GeClipMap::TextWidth(const String& text) {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return 0;
    return bitmaps->clip_map_text_width(Handle(), text.GetCString());
}

int32_t GeClipMap::TextHeight() {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return 0;
    return bitmaps->clip_map_text_height(Handle());
}

void GeClipMap::SetColor(int32_t r, int32_t g, int32_t b, int32_t a) {
    if (const VtBitmapTable* bitmaps = vt::BitmapTable())
        bitmaps->clip_map_set_color(Handle(), r, g, b, a);
}

void GeClipMap::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (const VtBitmapTable* bitmaps = vt::BitmapTable())
        bitmaps->clip_map_fill_rect(Handle(), x1, y1, x2, y2);
}

void GeClipMap::TextAt(int32_t x, int32_t y, const String& text) {
    if (const VtBitmapTable* bitmaps = vt::BitmapTable())
        bitmaps->clip_map_text_at(Handle(), x, y, text.GetCString());
}

BaseBitmap* GeClipMap::GetBitmap() {
    const VtBitmapTable* bitmaps = vt::BitmapTable();
    if (bitmaps == nullptr) return nullptr;
    return reinterpret_cast<BaseBitmap*>(bitmaps->clip_map_get_bitmap(Handle()));
}
