// SDrawText: a text label drawn as a textured quad, its picture painted in a clip map.
#include "plugin/object/TextLabel.h"

namespace {

/// A 16-bit channel multiplied by a tint and truncated, kept inside the channel's range.
uint16_t Tinted(uint16_t channel, double tint) {
    const double value = channel * tint;
    if (!(value > 0.0)) return 0;
    if (value >= 65535.0) return 65535;
    return static_cast<uint16_t>(value);
}

} // namespace

void SDrawText(BaseDraw* bd, const String& text, const LVector& pos, const LVector& colour,
               const LVector& scale) {
    if (bd == nullptr || !text.IsValid()) return;
    GeClipMap* map = GeClipMap::Alloc();
    if (map == nullptr) return;
    if (!map->Init(1, 1, 32)) {
        GeClipMap::Free(map);
        return;
    }
    const int32_t w = map->TextWidth(text);
    const int32_t h = map->TextHeight();
    if (!map->Init(w + 8, h + 4, 32)) {
        GeClipMap::Free(map);
        return;
    }
    map->SetColor(0, 0, 0, 180);
    map->FillRect(0, 0, w + 7, h + 3);
    map->SetColor(255, 255, 255, 255);
    map->TextAt(4, 2, text);

    BaseBitmap* bitmap = map->GetBitmap();
    if (bitmap == nullptr) {
        GeClipMap::Free(map);
        return;
    }
    const int32_t width = bitmap->GetBw();
    const int32_t height = bitmap->GetBh();

    // Any colour but white tints a copy, so that the clip map's own picture stays as it is.
    BaseBitmap* copy = nullptr;
    if (colour.x != 1.0 || colour.y != 1.0 || colour.z != 1.0) {
        copy = bitmap->GetClone();
        if (copy == nullptr) {
            GeClipMap::Free(map);
            return;
        }
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                BitmapPixel p = copy->GetPixel(x, y);
                p.r = Tinted(p.r, colour.x);
                p.g = Tinted(p.g, colour.y);
                p.b = Tinted(p.b, colour.z);
                copy->SetPixel(x, y, p);
            }
        }
    }

    const double W = width, H = height;
    const LVector points[4] = {pos, pos + LVector(0.0, H * scale.y, 0.0),
                               pos + LVector(W * scale.x, H * scale.y, 0.0),
                               pos + LVector(W * scale.x, 0.0, 0.0)};
    const LVector uvs[4] = {LVector(0.0, 0.0, 0.0), LVector(0.0, 1.0, 0.0), LVector(1.0, 1.0, 0.0),
                            LVector(1.0, 0.0, 0.0)};
    const LVector normals[4] = {LVector(0.0, 0.0, 1.0), LVector(0.0, 0.0, 1.0),
                                LVector(0.0, 0.0, 1.0), LVector(0.0, 0.0, 1.0)};
    const LVector colours[4] = {colour, colour, colour, colour};
    bd->DrawTexture(copy != nullptr ? copy : bitmap, points, colours, normals, uvs, 4,
                    DrawFlag::AlphaFromTexture, DrawFlag::TexturePixelated);

    BaseBitmap::Free(copy);
    GeClipMap::Free(map);
}
