// The host's one text font: a fixed bitmap font built into the host, so that the same text
// gives the same pixels on every machine (no font files, no hinting, no anti-aliasing).
//
// Every character is a cell of 5 x 9 pixels: 7 rows from the top down to the baseline and 2
// rows of descenders below it. Characters advance by 6 pixels (one blank column between
// them). Printable ASCII has glyphs of its own; every other character (UTF-8 decoded) shows
// as a hollow box, and a byte that is not valid UTF-8 counts as one such character.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantri {

namespace bitmap_font {

constexpr int32_t kGlyphWidth = 5;
constexpr int32_t kGlyphHeight = 9;
constexpr int32_t kAdvance = 6;

/// The rows of a character's glyph, top first; bit 4 is the leftmost pixel of a row.
const uint8_t* glyph(uint32_t code_point);

/// The characters of UTF-8 text.
std::vector<uint32_t> decode_utf8(const std::string& text);

/// The widest text measured, in pixels: longer text measures this much.
constexpr int32_t kMaxTextWidth = 1 << 30;

/// The width in pixels of a line of text: the advances of its characters without the blank
/// column after the last; 0 for empty text.
int32_t text_width(const std::string& text);

/// The height in pixels of a line of text.
inline int32_t text_height() {
    return kGlyphHeight;
}

/// Calls plot(x, y) for every set pixel of the text written with its top-left corner at
/// (x, y), left to right. Coordinates are 64-bit so that no position overflows.
template <typename Plot>
void for_each_pixel(const std::string& text, int64_t x, int64_t y, Plot plot) {
    int64_t left = x;
    for (uint32_t c : decode_utf8(text)) {
        const uint8_t* rows = glyph(c);
        for (int32_t row = 0; row < kGlyphHeight; ++row) {
            for (int32_t column = 0; column < kGlyphWidth; ++column) {
                if (rows[row] & (0x10 >> column)) plot(left + column, y + row);
            }
        }
        left += kAdvance;
    }
}

} // namespace bitmap_font

} // namespace vantri
