// What a picture shows, in scene space: the scene's shaded surfaces, and the lines and
// textures drawn over them (the objects' guides from a display list, null crosses, curves).
// A camera and a renderer (raster or SVG) turn it into a picture.
#pragma once

#include "host/draw/DisplayList.h"

#include <array>
#include <string>
#include <variant>
#include <vector>

namespace vantri {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
};
inline bool operator==(const Rgb& x, const Rgb& y) {
    return x.r == y.r && x.g == y.g && x.b == y.b;
}

/// A colour given as r, g, b in 0..1 (clamped) in 8 bits.
Rgb to_rgb(const VtVector& colour);

/// A flat polygon of 3 or 4 points in scene space, shaded by the renderer.
struct RenderFace {
    std::array<VtVector, 4> points{};
    int32_t count = 3;
    Rgb colour;
};

/// A line in scene space, one pixel wide: over the surfaces when `on_top`, else hidden
/// where a surface lies nearer the camera.
struct RenderLine {
    VtVector from{}, to{};
    Rgb colour;
    bool on_top = true;
};

/// A textured polygon of 3 or 4 points in scene space, drawn over the surfaces with its
/// texture's alpha. Texture coordinates run from (0, 0) at the texture's bottom-left pixel to
/// (1, 1) at its top-right, the host's convention (rows are stored top first).
struct RenderTexture {
    std::array<VtVector, 4> points{};
    std::array<VtVector, 4> uvs{};
    int32_t count = 4;
    const TextureSnapshot* texture = nullptr; ///< owned by the display list it came from
};

using RenderOverlay = std::variant<RenderLine, RenderTexture>;

/// An agent of a generator's output, as the picture shows it.
struct RenderAgent {
    VtVector position{}; ///< the origin of its instance, scene space
    VtVector forward{};  ///< the way it faces (its instance's +Z), unit length; 0 when unknown
    double reach = 0;    ///< the farthest point of its body from `position`, scene units
    double front = 0;    ///< how far its body reaches ahead of `position`, scene units
    size_t crowd = 0;    ///< its generator: an index into RenderList::crowds
};

/// A generator whose output the picture shows, in the colour of its agents.
struct RenderCrowd {
    std::string name;
    Rgb colour;
    size_t agents = 0;
};

struct RenderList {
    std::vector<RenderFace> faces;
    /// Drawn in order, over every face.
    std::vector<RenderOverlay> overlays;
    /// The agents among the faces, and their generators in document order.
    std::vector<RenderAgent> agents;
    std::vector<RenderCrowd> crowds;

    void line(const VtVector& from, const VtVector& to, Rgb colour, bool on_top = true) {
        overlays.push_back(RenderLine{from, to, colour, on_top});
    }
};

/// Segments a display list's circles and ellipses are drawn with.
constexpr int32_t kCircleSegments = 64;

/// cos and sin of k * 2 pi / kCircleSegments, the same on every machine.
struct UnitPoint {
    double c = 1.0, s = 0.0;
};
UnitPoint unit_circle_point(int32_t k);

/// Adds every item of the display list that draws something, carried through its drawing
/// matrix into scene space: lines in the pen colour (on top of the surfaces when their flags
/// say so), circles in the pen colour and on top, boxes in their own colour
/// (wire boxes as edges, solid ones as faces), textured quads with their texture. The
/// textures stay owned by `list`, which must outlive `out`.
void add_display_list(const DisplayList& list, RenderList& out);

/// Every point of the list: the corners of its faces, the ends of its lines and the corners
/// of its textures.
std::vector<VtVector> points_of(const RenderList& list);

/// A mark on every agent that shows the way it faces: a line from its middle to a little
/// beyond its body, with an arrow head, drawn over the surfaces.
void add_facing_marks(RenderList& list);

/// The colour of the facing marks.
constexpr Rgb kFacingMark{245, 245, 245};

/// The smallest box around every point of the list; false when it has none.
bool bounds_of(const RenderList& list, VtVector& low, VtVector& high);

} // namespace vantri
