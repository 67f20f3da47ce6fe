// The same picture as the rasteriser makes, as an SVG drawing: the grid and the overlays as
// lines, the surfaces as polygons painted from the farthest to the nearest, textures as
// embedded PNG images placed on their quads. Numbers are written with two decimals, so the
// same scene gives the same text.
#pragma once

#include "host/Status.h"
#include "host/render/PictureOverlay.h"

#include <string>

namespace vantri {

/// The SVG text of `list` through `camera`; fails when a texture could not be encoded.
Result<std::string> svg_picture(const RenderList& list, const Camera& camera);

/// Writes the SVG picture to `path`, with the overlay of `caption` when one is given; on
/// failure the error names the file, and no file is left behind.
Status write_svg(const std::string& path, const RenderList& list, const Camera& camera,
                 const PictureCaption* caption = nullptr);

} // namespace vantri
