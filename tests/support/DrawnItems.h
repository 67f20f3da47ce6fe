// Helpers for the viewport-drawing tests: draw the document into a display list and pick the
// items one object drew, by kind.
#pragma once

#include "tests/support/GeneratorScene.h"

#include "host/draw/BitmapFont.h"
#include "host/draw/DisplayList.h"
#include "host/draw/Viewport.h"
#include "host/scene/Transform.h"

#include <cmath>
#include <variant>
#include <vector>

namespace vantri_test {

using vantri::operator+;
using vantri::operator-;
using vantri::operator*;

/// Whether two vectors agree to `tolerance` in every component.
inline ::testing::AssertionResult near(const VtVector& a, const VtVector& b,
                                       double tolerance = 1e-9) {
    if (std::abs(a.x - b.x) <= tolerance && std::abs(a.y - b.y) <= tolerance &&
        std::abs(a.z - b.z) <= tolerance)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "(" << a.x << ", " << a.y << ", " << a.z << ") vs ("
                                         << b.x << ", " << b.y << ", " << b.z << ")";
}

inline bool exactly(const VtVector& a, const VtVector& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}
inline bool exactly(const VtMatrix& a, const VtMatrix& b) {
    return exactly(a.off, b.off) && exactly(a.v1, b.v1) && exactly(a.v2, b.v2) &&
           exactly(a.v3, b.v3);
}

inline VtVector unit(const VtVector& v) {
    const double length = std::sqrt(vantri::dot(v, v));
    return length == 0 ? VtVector{0, 0, 0} : v * (1.0 / length);
}

/// The items of kind T one object drew in a pass, with the item that carries each.
template <typename T> struct Drawn {
    const vantri::DrawItem* item;
    const T* shape;
};
template <typename T>
std::vector<Drawn<T>> drawn_of(const vantri::DisplayList& list, const vantri::SceneObject* object,
                               vantri::DrawPass pass = vantri::DrawPass::Object) {
    std::vector<Drawn<T>> found;
    for (const vantri::DrawItem* item : list.of(object, pass)) {
        if (const T* shape = std::get_if<T>(&item->shape)) found.push_back({item, shape});
    }
    return found;
}

/// The pixels a label of `text` should have: the clip map of (w + 8) x (h + 4) pixels, dark
/// and translucent, with the text in white from (4, 2).
inline std::vector<vantri::Pixel16> expected_label(const std::string& text, int32_t& width,
                                                   int32_t& height) {
    width = vantri::bitmap_font::text_width(text) + 8;
    height = vantri::bitmap_font::text_height() + 4;
    std::vector<vantri::Pixel16> pixels(static_cast<size_t>(width * height),
                                        vantri::Pixel16{0, 0, 0, 180 * 257});
    const int32_t w = width;
    vantri::bitmap_font::for_each_pixel(text, 4, 2, [&](int64_t x, int64_t y) {
        pixels[static_cast<size_t>(y * w + x)] = vantri::Pixel16{65535, 65535, 65535, 65535};
    });
    return pixels;
}

class DrawingTest : public GeneratorTest {
  protected:
    vantri::DisplayList draw() {
        vantri::DisplayList list;
        vantri::draw_document(*document, list);
        return list;
    }
};

} // namespace vantri_test
