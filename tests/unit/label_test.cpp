// SDrawText on its own, against the stand-in host's viewport: the label's picture, the tint
// that goes into a copy (never into the clip map's own picture), the quad's size by scale, and
// refused memory at every allocation it makes.
#include "plugin/object/TextLabel.h"

#include "host/Host.h"
#include "host/draw/BitmapFont.h"
#include "host/draw/Viewport.h"
#include "plugin/hostapi/host_binding.h"
#include "host/memory/Allocator.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using vantri::Pixel16;
namespace drawn = vantri::drawn;

class Label : public ::testing::Test {
  protected:
    void SetUp() override {
        previous_ = vt::g_host;
        vt::g_host = host.api();
        baseline = vantri::allocator().live();
    }
    void TearDown() override {
        vantri::allocator().fail_nth(0);
        EXPECT_EQ(vantri::allocator().live(), baseline) << "SDrawText kept host memory";
        EXPECT_TRUE(host.misuse().empty());
        vt::g_host = previous_;
    }

    /// Draws one label and returns its quad, or null when none was drawn.
    const drawn::TexturedQuad* label(const char* text, const LVector& colour,
                                     const LVector& scale = LVector(1, 1, 1)) {
        list.clear();
        vantri::Viewport viewport(list);
        {
            const String string(text);
            SDrawText(reinterpret_cast<BaseDraw*>(viewport.handle()), string, LVector(5, 6, 7),
                      colour, scale);
        }
        for (const vantri::DrawItem& item : list.items) {
            if (const auto* quad = std::get_if<drawn::TexturedQuad>(&item.shape)) return quad;
        }
        return nullptr;
    }

    /// The untinted label of `text`, as the clip map paints it.
    static std::vector<Pixel16> plain(const std::string& text) {
        const int32_t w = vantri::bitmap_font::text_width(text) + 8;
        const int32_t h = vantri::bitmap_font::text_height() + 4;
        std::vector<Pixel16> pixels(static_cast<size_t>(w * h), Pixel16{0, 0, 0, 180 * 257});
        vantri::bitmap_font::for_each_pixel(text, 4, 2, [&](int64_t x, int64_t y) {
            pixels[static_cast<size_t>(y * w + x)] = Pixel16{65535, 65535, 65535, 65535};
        });
        return pixels;
    }

    vantri::Host host;
    vantri::DisplayList list;
    int64_t baseline = 0;

  private:
    HostApi* previous_ = nullptr;
};

TEST_F(Label, WhiteTextUsesTheClipMapsPictureAsItIs) {
    const drawn::TexturedQuad* quad = label("12", LVector(1, 1, 1));
    ASSERT_NE(quad, nullptr);
    EXPECT_TRUE(quad->texture.from_clip_map);
    EXPECT_EQ(quad->texture.copied_from, 0u);
    EXPECT_EQ(quad->texture.width, 11 + 8);
    EXPECT_EQ(quad->texture.height, 9 + 4);
    EXPECT_TRUE(quad->texture.pixels == plain("12"));
}

TEST_F(Label, AnyOtherColourTintsACopyAndLeavesTheClipMapsPictureAlone) {
    const LVector tint(0.5, 1.0, 0.3);
    const drawn::TexturedQuad* quad = label("A7", tint);
    ASSERT_NE(quad, nullptr);
    const vantri::TextureSnapshot& t = quad->texture;
    EXPECT_FALSE(t.from_clip_map);
    EXPECT_NE(t.copied_from, 0u);
    EXPECT_TRUE(t.source_from_clip_map) << "the copy is of the clip map's picture";
    const std::vector<Pixel16> original = plain("A7");
    EXPECT_TRUE(t.source_pixels == original) << "the clip map's picture is not tinted";
    ASSERT_EQ(t.pixels.size(), original.size());
    for (size_t i = 0; i < original.size(); ++i) {
        // Each channel times its tint, truncated; alpha as it was.
        const Pixel16 want{static_cast<uint16_t>(std::trunc(original[i].r * 0.5)),
                           static_cast<uint16_t>(std::trunc(original[i].g * 1.0)),
                           static_cast<uint16_t>(std::trunc(original[i].b * 0.3)), original[i].a};
        ASSERT_TRUE(t.pixels[i] == want) << "pixel " << i;
    }
    // White at 0.3 truncates 19660.5 to 19660.
    EXPECT_NE(std::find(t.pixels.begin(), t.pixels.end(), Pixel16{32767, 65535, 19660, 65535}),
              t.pixels.end());
    for (size_t k = 0; k < 4; ++k)
        EXPECT_TRUE(quad->colours[k].x == 0.5 && quad->colours[k].y == 1.0 &&
                    quad->colours[k].z == 0.3);
}

// A tint outside 0..1 would carry a channel out of its 16-bit range; the channel is held at
// its ends instead.
TEST_F(Label, TintsBeyondTheChannelRangeAreHeldAtItsEnds) {
    const drawn::TexturedQuad* quad = label("8", LVector(2.0, -1.0, NAN));
    ASSERT_NE(quad, nullptr);
    const std::vector<Pixel16> original = plain("8");
    for (size_t i = 0; i < original.size(); ++i) {
        const bool ink = original[i].r == 65535;
        EXPECT_EQ(quad->texture.pixels[i].r, ink ? 65535 : 0);
        EXPECT_EQ(quad->texture.pixels[i].g, 0);
        EXPECT_EQ(quad->texture.pixels[i].b, 0);
    }
}

TEST_F(Label, TheQuadGrowsWithTheScaleFromItsLowerLeftCorner) {
    const drawn::TexturedQuad* quad = label("0", LVector(1, 1, 1), LVector(2, 3, 9));
    ASSERT_NE(quad, nullptr);
    const double w = 13 * 2, h = 13 * 3;
    const VtVector want[4] = {{5, 6, 7}, {5, 6 + h, 7}, {5 + w, 6 + h, 7}, {5 + w, 6, 7}};
    for (size_t k = 0; k < 4; ++k) {
        EXPECT_EQ(quad->points[k].x, want[k].x) << k;
        EXPECT_EQ(quad->points[k].y, want[k].y) << k;
        EXPECT_EQ(quad->points[k].z, want[k].z) << k;
    }
}

TEST_F(Label, EachRefusedAllocationDropsTheLabelAndKeepsNothing) {
    for (const LVector& colour : {LVector(1, 1, 1), LVector(0, 1, 0)}) {
        bool refused = true;
        uint64_t n = 0;
        while (refused) {
            ++n;
            const uint64_t before = vantri::allocator().refusals();
            const int64_t live = vantri::allocator().live();
            vantri::allocator().fail_nth(n);
            const bool drawn_one = label("42", colour) != nullptr;
            vantri::allocator().fail_nth(0);
            refused = vantri::allocator().refusals() != before;
            EXPECT_EQ(vantri::allocator().live(), live) << "allocation " << n;
            EXPECT_EQ(drawn_one, !refused) << "allocation " << n;
            ASSERT_LT(n, 50u);
        }
        // Allocations made: the string, the clip map and its two pictures, and for a tint
        // the copy; the loop ends at the first request number that is never reached.
        EXPECT_EQ(n - 1, colour.x == 1 ? 4u : 5u);
    }
}

} // namespace
