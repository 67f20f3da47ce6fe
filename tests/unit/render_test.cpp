// The renderer: which way each camera looks, framing that shows everything, surfaces hidden
// by nearer ones, shared edges drawn once, textures the right way up, lines cut at the
// camera, and pictures that read back from PNG and SVG as they were made.
#include "host/render/Camera.h"
#include "host/render/PngFile.h"
#include "host/render/Raster.h"
#include "host/render/SvgPicture.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <unistd.h>

namespace {

using vantri::Camera;
using vantri::CameraView;
using vantri::RenderList;
using vantri::Rgb;
using vantri::RgbImage;
using vantri::operator*;
using vantri::operator-;

constexpr Rgb kWhite{255, 255, 255};

Camera framed(CameraView view, int32_t w = 200, int32_t h = 100) {
    return Camera::framing(view, w, h, {-100, -100, -100}, {100, 100, 100});
}

/// Counts the pixels of one colour.
size_t count(const RgbImage& image, Rgb colour) {
    size_t n = 0;
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x)
            n += image.at(x, y) == colour;
    }
    return n;
}

/// A square face of side 2s around `centre`, across the axes a and b.
vantri::RenderFace square(VtVector centre, VtVector a, VtVector b, double s, Rgb colour) {
    vantri::RenderFace face;
    face.count = 4;
    const double corners[4][2] = {{-s, -s}, {s, -s}, {s, s}, {-s, s}};
    for (int k = 0; k < 4; ++k) {
        face.points[k] = {centre.x + a.x * corners[k][0] + b.x * corners[k][1],
                          centre.y + a.y * corners[k][0] + b.y * corners[k][1],
                          centre.z + a.z * corners[k][0] + b.z * corners[k][1]};
    }
    face.colour = colour;
    return face;
}

TEST(Camera, EachViewLooksTheWayTheHostsViewportsDo) {
    struct Case {
        CameraView view;
        VtVector right, up;
    };
    // Top: +X right, +Z up the picture. Front: +X right, +Y up. Side: +Z right, +Y up.
    for (const Case& c : {Case{CameraView::Top, {1, 0, 0}, {0, 0, 1}},
                          Case{CameraView::Front, {1, 0, 0}, {0, 1, 0}},
                          Case{CameraView::Side, {0, 0, 1}, {0, 1, 0}}}) {
        const Camera camera = framed(c.view);
        const vantri::ScreenPoint centre = camera.project({0, 0, 0});
        EXPECT_DOUBLE_EQ(centre.x, 100);
        EXPECT_DOUBLE_EQ(centre.y, 50);
        EXPECT_GT(camera.project(c.right * 50.0).x, centre.x + 1);
        EXPECT_LT(camera.project(c.up * 50.0).y, centre.y - 1);
        // What is nearer the camera has less depth.
        EXPECT_LT(camera.depth_of(camera.forward() * -10.0), camera.depth_of({0, 0, 0}));
    }
    const Camera persp = framed(CameraView::Perspective);
    EXPECT_LT(persp.forward().y, 0) << "the perspective camera looks down";
    EXPECT_GT(persp.forward().z, 0) << "and into the scene from the front";
    EXPECT_GT(persp.project({50, 0, 0}).x, persp.project({0, 0, 0}).x + 1);
    EXPECT_LT(persp.project({0, 50, 0}).y, persp.project({0, 0, 0}).y - 1);
}

// Every point shows inside the margin of an eighth of the framed size on each side, and the
// points fill the picture up to that margin across or up it, centred.
TEST(Camera, FramingShowsEveryPointCentredWithAMargin) {
    std::vector<VtVector> points;
    for (int i = 0; i < 8; ++i)
        points.push_back({(i & 1) ? 500.0 : -300.0, (i & 2) ? 80.0 : 0.0, (i & 4) ? 900.0 : 50.0});
    points.push_back({100, 400, 200});
    for (CameraView view :
         {CameraView::Top, CameraView::Front, CameraView::Side, CameraView::Perspective}) {
        const Camera camera = Camera::framing(view, 640, 360, points);
        double left = 1e9, right = -1e9, top = 1e9, bottom = -1e9;
        for (const VtVector& point : points) {
            const vantri::ScreenPoint p = camera.project(point);
            left = std::min(left, p.x);
            right = std::max(right, p.x);
            top = std::min(top, p.y);
            bottom = std::max(bottom, p.y);
        }
        const char* name = vantri::camera_view_name(view);
        const double tolerance = 1e-6;
        EXPECT_GE(left, 640 * 0.1 - tolerance) << name;
        EXPECT_LE(right, 640 * 0.9 + tolerance) << name;
        EXPECT_GE(top, 360 * 0.1 - tolerance) << name;
        EXPECT_LE(bottom, 360 * 0.9 + tolerance) << name;
        EXPECT_TRUE(right - left > 640 * 0.8 - 1 || bottom - top > 360 * 0.8 - 1) << name;
        EXPECT_NEAR((left + right) / 2, 320, 1.0) << name;
        EXPECT_NEAR((top + bottom) / 2, 180, 1.0) << name;
    }
    // Nothing to frame: the camera still shows the origin.
    const Camera empty = Camera::framing(CameraView::Top, 100, 100, {1, 1, 1}, {0, 0, 0});
    EXPECT_DOUBLE_EQ(empty.project({0, 0, 0}).x, 50);
}

TEST(Raster, ANearerSurfaceHidesAFartherOneWhicheverIsListedFirst) {
    const Camera camera = framed(CameraView::Top);
    for (bool near_first : {true, false}) {
        RenderList list;
        const auto high = square({0, 50, 0}, {1, 0, 0}, {0, 0, 1}, 20, {200, 0, 0});
        const auto low = square({0, -50, 0}, {1, 0, 0}, {0, 0, 1}, 40, {0, 0, 200});
        list.faces = near_first ? std::vector<vantri::RenderFace>{high, low}
                                : std::vector<vantri::RenderFace>{low, high};
        const RgbImage image = vantri::rasterise(list, camera);
        const Rgb centre = image.at(100, 50);
        EXPECT_GT(centre.r, 0) << "the upper square is nearer the top camera";
        EXPECT_EQ(centre.b, 0);
        EXPECT_EQ(image.at(100, 50 + 10).b, vantri::shade({0, 0, 200}, {0, 1, 0}).b);
    }
}

TEST(Raster, LinesNotOnTopAreHiddenBehindNearerSurfacesOnly) {
    for (CameraView view : {CameraView::Top, CameraView::Perspective}) {
        const Camera camera = framed(view);
        RenderList list;
        list.faces.push_back(square({0, 0, 0}, {1, 0, 0}, {0, 0, 1}, 90, {0, 0, 200}));
        // Below the square (hidden from above, also where the perspective camera looks past
        // it at a slant), above it (shown), and below it but on top.
        list.line({-20, -30, 30}, {20, -30, 30}, {255, 0, 0}, false);
        list.line({-40, 30, -10}, {40, 30, -10}, {0, 255, 0}, false);
        list.line({-40, -30, 30}, {40, -30, 30}, kWhite, true);
        const RgbImage image = vantri::rasterise(list, camera);
        EXPECT_EQ(count(image, {255, 0, 0}), 0u) << vantri::camera_view_name(view);
        EXPECT_GT(count(image, {0, 255, 0}), 10u) << vantri::camera_view_name(view);
        EXPECT_GT(count(image, kWhite), 10u) << vantri::camera_view_name(view);
    }
}

TEST(Raster, TrianglesSharingAnEdgeCoverEachPixelOnce) {
    // A translucent texture over two triangles: a pixel drawn twice would come out lighter.
    vantri::TextureSnapshot texture;
    texture.width = texture.height = 1;
    texture.pixels = {vantri::Pixel16{65535, 65535, 65535, 32768}};
    vantri::RenderTexture quad;
    quad.points = {VtVector{-37.3, 0, -21.1}, {-37.3, 0, 41.7}, {52.9, 0, 41.7}, {52.9, 0, -21.1}};
    quad.uvs = {VtVector{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    quad.texture = &texture;
    RenderList list;
    list.overlays.push_back(quad);
    const Camera camera = framed(CameraView::Top, 173, 131);
    const RgbImage image = vantri::rasterise(list, camera);
    const RgbImage bare = vantri::rasterise(RenderList{}, camera);
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x) {
            if (image.at(x, y) == bare.at(x, y)) continue;
            // Over the background or the grid, half white: one blend only.
            const int expected = (bare.at(x, y).r + 255 + 1) / 2;
            EXPECT_NEAR(image.at(x, y).r, expected, 1) << x << "," << y;
        }
    }
}

TEST(Raster, TexturesShowTheirTopRowAtTheTopOfTheQuad) {
    vantri::TextureSnapshot texture;
    texture.width = 1;
    texture.height = 2;
    texture.pixels = {vantri::Pixel16{65535, 0, 0, 65535}, vantri::Pixel16{0, 0, 65535, 65535}};
    vantri::RenderTexture quad;
    // A label as the plug-in draws it: lower-left corner first, extending along +x and +y.
    quad.points = {VtVector{-50, -50, 0}, {-50, 50, 0}, {50, 50, 0}, {50, -50, 0}};
    quad.uvs = {VtVector{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    quad.texture = &texture;
    RenderList list;
    list.overlays.push_back(quad);
    const RgbImage image = vantri::rasterise(list, framed(CameraView::Front));
    EXPECT_TRUE(image.at(100, 40) == (Rgb{255, 0, 0})) << "the top row is red";
    EXPECT_TRUE(image.at(100, 60) == (Rgb{0, 0, 255})) << "the bottom row is blue";
    // Seen edge-on from the top, the quad covers nothing.
    const RgbImage top = vantri::rasterise(list, framed(CameraView::Top));
    EXPECT_EQ(count(top, {255, 0, 0}) + count(top, {0, 0, 255}), 0u);
}

TEST(Raster, LinesRunFromPixelToPixelAndAreCutAtThePerspectiveCamera) {
    const Camera camera = Camera::framing(CameraView::Top, 100, 100, {-50, 0, -50}, {50, 0, 50});
    RenderList list;
    list.line({-20, 0, 0}, {20, 0, 0}, kWhite);
    const RgbImage image = vantri::rasterise(list, camera);
    const double per_unit = 1 / camera.units_per_pixel();
    const int32_t first = static_cast<int32_t>(50 - 20 * per_unit),
                  last = static_cast<int32_t>(50 + 20 * per_unit);
    for (int32_t x = first; x <= last; ++x)
        EXPECT_TRUE(image.at(x, 50) == kWhite) << x;
    EXPECT_EQ(count(image, kWhite), static_cast<size_t>(last - first + 1));

    // A line from far in front of the perspective camera to far behind it, and one wholly
    // behind it: only the visible part is drawn, and nothing behind.
    const Camera persp = framed(CameraView::Perspective);
    const VtVector eye = persp.centre() - persp.forward() * 1e4;
    RenderList crossing;
    crossing.line(persp.centre(), persp.centre() - persp.forward() * 1e9, kWhite);
    crossing.line(eye - persp.forward() * 10.0, eye - persp.forward() * 20.0, {0, 255, 0});
    const RgbImage seen = vantri::rasterise(crossing, persp);
    EXPECT_GT(count(seen, kWhite), 0u);
    EXPECT_EQ(count(seen, {0, 255, 0}), 0u);
}

TEST(Raster, TheSamePictureTwiceIsTheSamePixels) {
    RenderList list;
    list.faces.push_back(square({10, 0, 0}, {1, 0.2, 0}, {0, 0.3, 1}, 30, {120, 200, 50}));
    list.line({-80, 10, 30}, {70, -20, -60}, kWhite);
    for (CameraView view :
         {CameraView::Top, CameraView::Front, CameraView::Side, CameraView::Perspective}) {
        const Camera camera = framed(view, 160, 120);
        EXPECT_EQ(vantri::rasterise(list, camera).rgb, vantri::rasterise(list, camera).rgb);
    }
}

class PictureFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        folder = std::filesystem::temp_directory_path() /
                 ("vantri-pictures-" + std::to_string(getpid()));
        std::filesystem::create_directories(folder);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::filesystem::path folder;
};

TEST_F(PictureFiles, APngReadsBackPixelForPixel) {
    RgbImage image(37, 23, {1, 2, 3});
    for (int32_t y = 0; y < image.height; ++y) {
        for (int32_t x = 0; x < image.width; ++x)
            image.set(x, y, Rgb{uint8_t(x * 7), uint8_t(y * 11), uint8_t(x ^ y)});
    }
    const std::string path = (folder / "picture.png").string();
    const vantri::Status written = vantri::write_png(path, image);
    ASSERT_TRUE(written) << written.message();
    const vantri::Result<RgbImage> back = vantri::read_png(path);
    ASSERT_TRUE(back) << back.message();
    EXPECT_EQ(back->width, 37);
    EXPECT_EQ(back->height, 23);
    EXPECT_EQ(back->rgb, image.rgb);
}

TEST_F(PictureFiles, FailuresNameTheFileAndLeaveNothingBehind) {
    const std::string missing = (folder / "no" / "such" / "picture.png").string();
    const vantri::Status written = vantri::write_png(missing, RgbImage(4, 4, {}));
    ASSERT_FALSE(written);
    EXPECT_NE(written.message().find(missing), std::string::npos) << written.message();
    const std::string text = (folder / "not.png").string();
    std::FILE* f = std::fopen(text.c_str(), "wb");
    std::fputs("this is no picture", f);
    std::fclose(f);
    const vantri::Result<RgbImage> image = vantri::read_png(text);
    ASSERT_FALSE(image);
    EXPECT_NE(image.message().find(text), std::string::npos) << image.message();
    EXPECT_FALSE(vantri::write_svg(missing, RenderList{}, framed(CameraView::Top)));
    EXPECT_FALSE(std::filesystem::exists(missing));
}

std::string hex(Rgb c) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", c.r, c.g, c.b);
    return text;
}

TEST(SvgPicture, ShowsTheSurfacesFarthestFirstTheLinesAndTheTextures) {
    RenderList list;
    list.faces.push_back(square({0, 50, 0}, {1, 0, 0}, {0, 0, 1}, 20, {200, 0, 0}));
    list.faces.push_back(square({0, -50, 0}, {1, 0, 0}, {0, 0, 1}, 40, {0, 0, 200}));
    list.line({-10, 0, 0}, {10, 0, 0}, kWhite);
    vantri::TextureSnapshot texture;
    texture.width = texture.height = 2;
    texture.pixels.assign(4, vantri::Pixel16{65535, 0, 0, 65535});
    vantri::RenderTexture quad;
    quad.points = {VtVector{0, 0, 0}, {0, 20, 0}, {20, 20, 0}, {20, 0, 0}};
    quad.uvs = {VtVector{0, 0, 0}, {0, 1, 0}, {1, 1, 0}, {1, 0, 0}};
    quad.texture = &texture;
    list.overlays.push_back(quad);

    const vantri::Result<std::string> top_svg = vantri::svg_picture(list, framed(CameraView::Top));
    ASSERT_TRUE(top_svg) << top_svg.message();
    const std::string& top = *top_svg;
    const std::string red = hex(vantri::shade({200, 0, 0}, {0, 1, 0}));
    const std::string blue = hex(vantri::shade({0, 0, 200}, {0, 1, 0}));
    const size_t red_at = top.find("fill=\"" + red), blue_at = top.find("fill=\"" + blue);
    ASSERT_NE(red_at, std::string::npos);
    ASSERT_NE(blue_at, std::string::npos);
    EXPECT_LT(blue_at, red_at) << "the farther, lower square is painted first";
    EXPECT_NE(top.find("<line"), std::string::npos);
    EXPECT_EQ(top.find("<image"), std::string::npos) << "the label is edge-on from the top";

    const vantri::Result<std::string> front_svg =
        vantri::svg_picture(list, framed(CameraView::Front));
    ASSERT_TRUE(front_svg) << front_svg.message();
    const std::string& front = *front_svg;
    EXPECT_NE(front.find("<image"), std::string::npos);
    EXPECT_NE(front.find("data:image/png;base64,iVBORw0KGgo"), std::string::npos)
        << "the texture is embedded as a PNG";
    const vantri::Result<std::string> again = vantri::svg_picture(list, framed(CameraView::Front));
    ASSERT_TRUE(again);
    EXPECT_EQ(front, *again);
}

} // namespace
