// The same picture as the rasteriser makes, as an SVG drawing: the grid and the overlays as
// lines, the surfaces as polygons painted from the farthest to the nearest, textures as
// embedded PNG images placed on their quads. Numbers are written with two decimals, so the
// same scene gives the same text.
#pragma once

#include "host/render/PictureOverlay.h"

#include <string>

namespace vantri {

/// The SVG text of `list` through `camera`; false with `error` when a texture could not be
/// encoded.
bool svg_picture(const RenderList& list, const Camera& camera, std::string& svg,
                 std::string& error);

/// Writes the SVG picture to `path`, with the overlay of `caption` when one is given; on
/// failure false with `error` naming the file, and no file left behind.
bool write_svg(const std::string& path, const RenderList& list, const Camera& camera,
               std::string& error, const PictureCaption* caption = nullptr);

} // namespace vantri
