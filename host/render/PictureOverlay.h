// What a picture of a run says besides the scene, drawn over its pixels in the host's bitmap
// font: the frame number and scene time in the top-left corner, a legend of the crowds with
// their colours in the top-right corner and a scale bar in the bottom-left corner, each on a
// darkened panel so that it reads over any scene.
#pragma once

#include "host/render/Raster.h"

#include <string>
#include <vector>

namespace vantri {

/// What the overlay says.
struct PictureCaption {
    int32_t frame = 0;
    double seconds = 0;              ///< the frame's scene time
    std::vector<RenderCrowd> crowds; ///< the legend, in order; none: no legend
};

/// The length a scale bar shows, in scene units: 1, 2 or 5 times a power of ten, the
/// longest that spans at most `most_pixels` at `units_per_pixel`. 0 when no length fits.
double scale_bar_length(double units_per_pixel, double most_pixels);

/// A length in scene units (centimetres) as people say it: "50 cm", "2 m", "1.5 km".
std::string length_text(double units);

/// Draws the caption, the legend and the scale bar of `camera`'s picture over `image`.
/// The scale bar holds at the framed centre; a perspective picture's scale is larger nearer
/// the camera.
void draw_overlay(RgbImage& image, const Camera& camera, const PictureCaption& caption);

/// The same overlay as SVG elements, to go last in an SVG picture of `camera`.
std::string svg_overlay(const Camera& camera, const PictureCaption& caption);

} // namespace vantri
