#include "GeClipMap.h"

#include "host_binding.h"

GeClipMap* GeClipMap::Alloc() {
    return reinterpret_cast<GeClipMap*>(vt::Host()->bitmaps->clip_map_alloc());
}

void GeClipMap::Free(GeClipMap*& map) {
    if (map != nullptr) vt::Host()->bitmaps->clip_map_free(map->Handle());
    map = nullptr;
}

Bool GeClipMap::Init(int32_t w, int32_t h, int32_t bits) {
    return vt::Host()->bitmaps->clip_map_init(Handle(), w, h, bits) != 0;
}

int32_t GeClipMap::TextWidth(const String& text) {
    return vt::Host()->bitmaps->clip_map_text_width(Handle(), text.GetCString());
}

int32_t GeClipMap::TextHeight() {
    return vt::Host()->bitmaps->clip_map_text_height(Handle());
}

void GeClipMap::SetColor(int32_t r, int32_t g, int32_t b, int32_t a) {
    vt::Host()->bitmaps->clip_map_set_color(Handle(), r, g, b, a);
}

void GeClipMap::FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    vt::Host()->bitmaps->clip_map_fill_rect(Handle(), x1, y1, x2, y2);
}

void GeClipMap::TextAt(int32_t x, int32_t y, const String& text) {
    vt::Host()->bitmaps->clip_map_text_at(Handle(), x, y, text.GetCString());
}

BaseBitmap* GeClipMap::GetBitmap() {
    return reinterpret_cast<BaseBitmap*>(vt::Host()->bitmaps->clip_map_get_bitmap(Handle()));
}
