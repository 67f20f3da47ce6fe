// Turns what a picture shows into pixels through a camera: the grid, then surfaces
// flat-shaded with a depth buffer, then the overlays in order (lines one pixel wide, over the
// surfaces or hidden by nearer ones; textures with their alpha, over the surfaces). Everything is
// integer arithmetic after projection, with no anti-aliasing, so the same scene gives the same
// pixels everywhere.
#pragma once

#include "host/render/Camera.h"

#include <cstdint>
#include <vector>

namespace vantri {

/// 8-bit RGB pixels, rows top to bottom.
struct RgbImage {
    int32_t width = 0, height = 0;
    std::vector<uint8_t> rgb; ///< width * height * 3 bytes

    RgbImage() = default;
    RgbImage(int32_t w, int32_t h, Rgb fill);
    Rgb at(int32_t x, int32_t y) const;
    void set(int32_t x, int32_t y, Rgb c);
    bool contains(int32_t x, int32_t y) const {
        return x >= 0 && y >= 0 && x < width && y < height;
    }
};

/// The largest picture side the renderer makes, in pixels.
constexpr int32_t kMaxPictureSide = 8192;

/// The picture's background and its grid.
constexpr Rgb kBackground{38, 42, 50};
constexpr Rgb kGridMinor{52, 57, 67};
constexpr Rgb kGridMajor{70, 76, 90};

/// The direction light comes from; surfaces facing it (or facing straight away) are lit.
constexpr VtVector kLightFrom{0.35, 0.85, -0.4};

/// A surface colour lit for a face with the given normal (any length; zero gives the darkest
/// shade).
Rgb shade(Rgb colour, const VtVector& normal);

/// The grid under a picture: lines on the ground (y = 0) for the top and perspective views,
/// on the plane across the view for the front and side views, spaced 1, 2 or 5 times a power
/// of ten so that about a dozen show, every fifth brighter.
std::vector<RenderLine> grid_lines(const Camera& camera);

/// A scene segment on the picture: cut where it passes nearer than the camera's near depth
/// and to the picture (with a pixel to spare). False when nothing of it shows.
bool screen_segment(const Camera& camera, const VtVector& from, const VtVector& to, double& x0,
                    double& y0, double& x1, double& y1);

/// A scene polygon on the picture, cut like the rasteriser cuts it (near depth, and a band
/// of two picture sizes around the picture); `depth` is each corner's depth. Empty when
/// nothing of it shows.
std::vector<ScreenPoint> screen_polygon(const Camera& camera, const VtVector* points,
                                        int32_t count);

/// The picture of `list` through `camera`.
RgbImage rasterise(const RenderList& list, const Camera& camera);

} // namespace vantri
