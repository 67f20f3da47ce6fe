// The colours of the viewable results, the same in scene.glb and preview.html: one per
// generator, in scene order, and one per kind of scene piece. sRGB, 0 to 1.
#pragma once

#include "results/RunRecording.h"

#include <cstddef>

namespace vantri {

struct Colour {
    double r, g, b, a;
};

/// The colour of the generator at `index` (scene order): the pictures' colour of that
/// generator's agents, so that a picture, scene.glb and preview.html agree.
Colour crowd_colour(size_t index);
/// Obstacles are translucent red, the terrain green-grey, curves yellow, scenery grey.
Colour piece_colour(PieceKind kind);
/// "#rrggbb".
std::string colour_hex(const Colour& colour);
/// A colour channel from sRGB to linear light (glTF's colour factors are linear).
double linear_channel(double srgb);

} // namespace vantri
