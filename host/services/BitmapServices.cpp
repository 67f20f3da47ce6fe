// Bitmaps (icons the plug-in loads, copies it makes) and clip maps.
#include "host/services/Services.h"

#include "host/Host.h"
#include "host/draw/Bitmap.h"
#include "host/draw/ClipMap.h"
#include "host/memory/Allocator.h"
#include "host/resources/ImageFile.h"

#include <memory>
#include <new>

namespace vantri {

namespace {

/// A clip map as the plug-in holds it. Its picture counts as a block of its own in the host
/// allocator, so that a memory limit or a refused allocation reaches clip_map_init too.
struct ClipMapHandle {
    ClipMap map;
    size_t picture_bytes = 0; ///< counted for the current picture; 0 when none
};

size_t picture_bytes(int32_t width, int32_t height) {
    return static_cast<size_t>(width) * static_cast<size_t>(height) * sizeof(Pixel16);
}

Bitmap* bitmap_of(VtBitmap* h) {
    return reinterpret_cast<Bitmap*>(h);
}
const Bitmap* bitmap_of(const VtBitmap* h) {
    return reinterpret_cast<const Bitmap*>(h);
}
ClipMapHandle* clip_map_of(VtClipMap* h) {
    return reinterpret_cast<ClipMapHandle*>(h);
}

// ------------------------------------------------------------------ bitmaps

VtBitmap* bitmap_load(const char* path) {
    if (path == nullptr) return nullptr;
    // The image is the plug-in's until it frees it, so it counts as one of its blocks.
    if (!allocator().admit(sizeof(Bitmap))) return nullptr;
    Image image;
    if (!load_tiff(path, image).ok()) {
        allocator().retire(sizeof(Bitmap));
        return nullptr;
    }
    return reinterpret_cast<VtBitmap*>(new Bitmap(image));
}

void bitmap_free(VtBitmap* handle) {
    Bitmap* bitmap = bitmap_of(handle);
    if (bitmap == nullptr) return;
    if (bitmap->owned_by_clip_map()) {
        if (Host* host = calling_host())
            host->report_misuse("freed the picture of a clip map, which the clip map owns");
        return;
    }
    delete bitmap;
    allocator().retire(sizeof(Bitmap));
}

int32_t bitmap_width(const VtBitmap* bitmap) {
    return bitmap != nullptr ? bitmap_of(bitmap)->width() : 0;
}

int32_t bitmap_height(const VtBitmap* bitmap) {
    return bitmap != nullptr ? bitmap_of(bitmap)->height() : 0;
}

VtBitmap* bitmap_clone(const VtBitmap* handle) {
    const Bitmap* source = bitmap_of(handle);
    if (source == nullptr) return nullptr;
    if (!allocator().admit(sizeof(Bitmap))) return nullptr;
    return reinterpret_cast<VtBitmap*>(new Bitmap(*source));
}

int32_t bitmap_get_pixel(const VtBitmap* handle, int32_t x, int32_t y, uint16_t* rgba) {
    const Bitmap* bitmap = bitmap_of(handle);
    if (rgba == nullptr) return 0;
    const bool inside = bitmap != nullptr && bitmap->contains(x, y);
    const Pixel16 p = inside ? bitmap->pixel(x, y) : Pixel16{};
    rgba[0] = p.r;
    rgba[1] = p.g;
    rgba[2] = p.b;
    rgba[3] = p.a;
    return inside ? 1 : 0;
}

int32_t bitmap_set_pixel(VtBitmap* handle, int32_t x, int32_t y, const uint16_t* rgba) {
    Bitmap* bitmap = bitmap_of(handle);
    if (bitmap == nullptr || rgba == nullptr || !bitmap->contains(x, y)) return 0;
    bitmap->set_pixel(x, y, Pixel16{rgba[0], rgba[1], rgba[2], rgba[3]});
    return 1;
}

// ------------------------------------------------------------------ clip maps

VtClipMap* clip_map_alloc() {
    if (!allocator().admit(sizeof(ClipMapHandle))) return nullptr;
    return reinterpret_cast<VtClipMap*>(new ClipMapHandle);
}

void clip_map_free(VtClipMap* handle) {
    ClipMapHandle* map = clip_map_of(handle);
    if (map == nullptr) return;
    if (map->picture_bytes != 0) allocator().retire(map->picture_bytes);
    delete map;
    allocator().retire(sizeof(ClipMapHandle));
}

int32_t clip_map_init(VtClipMap* handle, int32_t width, int32_t height, int32_t bits) {
    ClipMapHandle* map = clip_map_of(handle);
    if (map == nullptr) return 0;
    ClipMap fresh;
    if (!fresh.init(width, height, bits)) return 0;
    const size_t bytes = picture_bytes(width, height);
    if (!allocator().admit(bytes)) return 0;
    if (map->picture_bytes != 0) allocator().retire(map->picture_bytes);
    map->map = std::move(fresh);
    map->picture_bytes = bytes;
    return 1;
}

int32_t clip_map_text_width(VtClipMap* handle, const char* text) {
    ClipMapHandle* map = clip_map_of(handle);
    return map != nullptr && text != nullptr ? map->map.text_width(text) : 0;
}

int32_t clip_map_text_height(VtClipMap* handle) {
    ClipMapHandle* map = clip_map_of(handle);
    return map != nullptr ? map->map.text_height() : 0;
}

void clip_map_set_color(VtClipMap* handle, int32_t r, int32_t g, int32_t b, int32_t a) {
    if (ClipMapHandle* map = clip_map_of(handle)) map->map.set_color(r, g, b, a);
}

void clip_map_fill_rect(VtClipMap* handle, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    if (ClipMapHandle* map = clip_map_of(handle)) map->map.fill_rect(x1, y1, x2, y2);
}

void clip_map_text_at(VtClipMap* handle, int32_t x, int32_t y, const char* text) {
    ClipMapHandle* map = clip_map_of(handle);
    if (map != nullptr && text != nullptr) map->map.text_at(x, y, text);
}

VtBitmap* clip_map_get_bitmap(VtClipMap* handle) {
    ClipMapHandle* map = clip_map_of(handle);
    return map != nullptr ? reinterpret_cast<VtBitmap*>(map->map.bitmap()) : nullptr;
}

const VtBitmapTable kBitmaps = {
    .size = sizeof(VtBitmapTable),
    .load = bitmap_load,
    .free = bitmap_free,
    .get_width = bitmap_width,
    .get_height = bitmap_height,
    .clone = bitmap_clone,
    .get_pixel = bitmap_get_pixel,
    .set_pixel = bitmap_set_pixel,
    .clip_map_alloc = clip_map_alloc,
    .clip_map_free = clip_map_free,
    .clip_map_init = clip_map_init,
    .clip_map_text_width = clip_map_text_width,
    .clip_map_text_height = clip_map_text_height,
    .clip_map_set_color = clip_map_set_color,
    .clip_map_fill_rect = clip_map_fill_rect,
    .clip_map_text_at = clip_map_text_at,
    .clip_map_get_bitmap = clip_map_get_bitmap,
};

} // namespace

const VtBitmapTable* bitmap_table() {
    return &kBitmaps;
}

} // namespace vantri
