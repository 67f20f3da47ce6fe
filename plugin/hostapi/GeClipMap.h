// A clip map: a small picture the plug-in paints filled rectangles and text into, to hand to
// the viewport as a texture. A host handle.
#pragma once

#include "plugin/hostapi/BaseBitmap.h"

class GeClipMap {
  public:
    GeClipMap() = delete;
    ~GeClipMap() = delete;

    /// A new clip map without a picture, owned by the caller until Free; null when memory is
    /// short.
    static GeClipMap* Alloc();
    /// Frees the clip map (and its picture) and sets the pointer to null.
    static void Free(GeClipMap*& map);

    /// Makes the picture w x h pixels at `bits` per pixel (24 or 32), transparent black.
    /// False, the clip map unchanged, for another depth, a size below 1 or too large, or when
    /// memory is short.
    Bool Init(int32_t w, int32_t h, int32_t bits);
    /// The width in pixels of one line of text, and the height of a line, in the host's font.
    int32_t TextWidth(const String& text);
    int32_t TextHeight();
    /// The colour of what is painted next, channels 0 to 255; alpha 255 is opaque.
    void SetColor(int32_t r, int32_t g, int32_t b, int32_t a = 255);
    /// Paints the rectangle between the corners (x1, y1) and (x2, y2), both included.
    void FillRect(int32_t x1, int32_t y1, int32_t x2, int32_t y2);
    /// Writes one line of text with its top-left corner at (x, y).
    void TextAt(int32_t x, int32_t y, const String& text);
    /// The picture, owned by the clip map and valid until its next Init or its Free; null
    /// before a successful Init.
    BaseBitmap* GetBitmap();

    VtClipMap* Handle() { return reinterpret_cast<VtClipMap*>(this); }
};
