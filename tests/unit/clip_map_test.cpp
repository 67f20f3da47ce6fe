// The host's bitmap font and clip maps: every glyph its own, text measured in characters,
// pictures made only at sizes and depths that make sense, and painting that clips and
// composites exactly.
#include "host/draw/BitmapFont.h"
#include "host/draw/ClipMap.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

namespace {

using vantri::ClipMap;
using vantri::Pixel16;
namespace font = vantri::bitmap_font;

std::array<uint8_t, font::kGlyphHeight> rows(uint32_t c) {
    std::array<uint8_t, font::kGlyphHeight> r{};
    for (int32_t i = 0; i < font::kGlyphHeight; ++i)
        r[static_cast<size_t>(i)] = font::glyph(c)[i];
    return r;
}

TEST(BitmapFont, EveryPrintableCharacterHasAGlyphOfItsOwnWithinItsCell) {
    std::set<std::array<uint8_t, font::kGlyphHeight>> seen;
    for (uint32_t c = 32; c <= 126; ++c) {
        const auto r = rows(c);
        bool any = false;
        for (uint8_t row : r) {
            EXPECT_EQ(row & ~0x1F, 0) << "character " << c << " is wider than its cell";
            any = any || row != 0;
        }
        EXPECT_EQ(any, c != ' ') << "character " << static_cast<char>(c);
        EXPECT_TRUE(seen.insert(r).second)
            << "character " << static_cast<char>(c) << " looks like another";
    }
    // Descenders reach below the baseline; capitals do not.
    EXPECT_NE(rows('g')[8], 0);
    EXPECT_EQ(rows('G')[7] | rows('G')[8], 0);
}

TEST(BitmapFont, TextIsMeasuredInCharactersNotBytes) {
    EXPECT_EQ(font::text_width(""), 0);
    EXPECT_EQ(font::text_width("0"), 5);
    EXPECT_EQ(font::text_width("10"), 11);
    EXPECT_EQ(font::text_width("caf\xC3\xA9"), 4 * 6 - 1) << "é is one character";
    EXPECT_EQ(font::text_height(), 9);
    // A character without a glyph, and a byte that is no UTF-8, show as the same box.
    EXPECT_EQ(rows(0x00E9), rows(0xFFFD));
    const auto broken = font::decode_utf8("a\xFF"
                                          "b\xC3");
    ASSERT_EQ(broken.size(), 4u);
    EXPECT_EQ(broken[1], 0xFFFDu);
    EXPECT_EQ(broken[3], 0xFFFDu);
}

TEST(ClipMap, RefusesDepthsAndSizesItCannotMakeAndKeepsWhatItHad) {
    ClipMap map;
    EXPECT_FALSE(map.ready());
    EXPECT_FALSE(map.init(0, 5, 32));
    EXPECT_FALSE(map.init(5, -1, 32));
    EXPECT_FALSE(map.init(5, 5, 16));
    EXPECT_FALSE(map.init(65536, 65536, 32));
    EXPECT_FALSE(map.ready());
    ASSERT_TRUE(map.init(3, 2, 32));
    EXPECT_FALSE(map.init(0, 0, 32));
    ASSERT_TRUE(map.ready());
    EXPECT_EQ(map.bitmap()->width(), 3);
    EXPECT_EQ(map.bitmap()->height(), 2);
    EXPECT_TRUE(map.bitmap()->pixel(2, 1) == Pixel16{});
    // Painting before any picture does nothing.
    ClipMap empty;
    empty.fill_rect(0, 0, 5, 5);
    empty.text_at(0, 0, "x");
    EXPECT_EQ(empty.bitmap(), nullptr);
}

TEST(ClipMap, FillsRectanglesInsideThePictureWithSourceOverPainting) {
    ClipMap map;
    ASSERT_TRUE(map.init(4, 3, 32));
    map.set_color(0, 0, 0, 180);
    map.fill_rect(3, 2, -10, 0); // corners in any order, cut to the picture
    for (int32_t y = 0; y < 3; ++y) {
        for (int32_t x = 0; x < 4; ++x)
            EXPECT_TRUE(map.bitmap()->pixel(x, y) == (Pixel16{0, 0, 0, 180 * 257}));
    }
    // Translucent red over translucent black: alpha a + b(1 - a), colour weighted by both.
    map.set_color(255, 0, 0, 128);
    map.fill_rect(1, 1, 1, 1);
    const Pixel16 p = map.bitmap()->pixel(1, 1);
    const uint64_t top = 128 * 257, under = 180 * 257 * (65535 - top) / 65535;
    EXPECT_EQ(p.a, top + under);
    EXPECT_EQ(p.r, 65535 * top / (top + under));
    EXPECT_EQ(p.g, 0);
    // Opaque paint replaces; channels are held to 0..255.
    map.set_color(300, -4, 255, 999);
    map.fill_rect(0, 0, 0, 0);
    EXPECT_TRUE(map.bitmap()->pixel(0, 0) == (Pixel16{65535, 0, 65535, 65535}));
    // Outside the picture nothing is painted, and nothing goes wrong far away.
    map.fill_rect(100, 100, 200, 200);
    map.text_at(2147483000, -2147483000, "far away");
}

TEST(ClipMap, WritesTextAsTheFontsGlyphs) {
    ClipMap map;
    ASSERT_TRUE(map.init(20, 12, 32));
    map.set_color(255, 255, 255, 255);
    map.text_at(2, 1, "1");
    for (int32_t y = 0; y < 12; ++y) {
        for (int32_t x = 0; x < 20; ++x) {
            const int32_t gx = x - 2, gy = y - 1;
            const bool ink = gx >= 0 && gx < 5 && gy >= 0 && gy < 9 &&
                             (font::glyph('1')[gy] & (0x10 >> gx)) != 0;
            EXPECT_EQ(map.bitmap()->pixel(x, y).a, ink ? 65535 : 0) << x << "," << y;
        }
    }
}

TEST(ClipMap, A24BitPictureStaysOpaque) {
    ClipMap map;
    ASSERT_TRUE(map.init(2, 2, 24));
    EXPECT_TRUE(map.bitmap()->pixel(0, 0) == (Pixel16{0, 0, 0, 65535}));
    map.set_color(255, 255, 255, 51);
    map.fill_rect(0, 0, 1, 1);
    const Pixel16 p = map.bitmap()->pixel(1, 1);
    EXPECT_EQ(p.a, 65535);
    EXPECT_EQ(p.r, 51 * 257);
}

} // namespace
