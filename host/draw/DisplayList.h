// What the plug-in's objects drew into a viewport, in the order they drew it: a display
// list. Each item carries the drawing matrix and pen colour in force when it was drawn, so
// that a renderer can draw any item on its own and a test can read exactly what was asked.
#pragma once

#include "host/draw/Bitmap.h"

#include "abi/host_abi.h"

#include <array>
#include <cstdint>
#include <variant>
#include <vector>

namespace vantri {

class SceneObject;

/// The passes in which the host asks each object to draw, in the order it asks them.
enum class DrawPass : int32_t { Object = 0, Box = 1, Handles = 2, Highlights = 3 };
constexpr DrawPass kDrawPasses[] = {DrawPass::Object, DrawPass::Box, DrawPass::Handles,
                                    DrawPass::Highlights};

/// What an object's Draw returns.
enum class DrawOutcome : int32_t { Error = 0, Ok = 1, Skip = 2 };

/// The identity matrix.
constexpr VtMatrix kIdentityMatrix{{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}};

/// The pixels of a texture as they were when the quad was drawn, and where they came from.
struct TextureSnapshot {
    int32_t width = 0, height = 0;
    std::vector<Pixel16> pixels; ///< rows top to bottom
    uint64_t serial = 0;         ///< the bitmap the plug-in drew with
    uint64_t copied_from = 0;    ///< its source's serial when it is a copy, else 0
    bool from_clip_map = false;  ///< the bitmap is a clip map's own picture
    /// For a copy whose source still existed at the draw: the source's pixels then.
    std::vector<Pixel16> source_pixels;
    bool source_from_clip_map = false;

    Pixel16 pixel(int32_t x, int32_t y) const {
        return pixels[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    }
};

/// The kinds of item.
namespace drawn {

/// The object set the drawing matrix (the item's matrix).
struct MatrixChange {
    const SceneObject* for_object = nullptr; ///< the object it was set for
};
/// The object set the pen colour (the item's pen).
struct PenChange {
    int32_t flags = 0;
};
/// A 3D line between two points of the drawing matrix's space.
struct Line {
    VtVector from{}, to{};
    int32_t flags = 0;
};
/// An ellipse (a circle when the axes are equal and square): the points m.off + cos(t) m.v1
/// + sin(t) m.v2 of the drawing matrix's space.
struct Circle {
    VtMatrix m{};
};
/// A box: the points m.off + (±size) m.v1 + (±size) m.v2 + (±size) m.v3, in its own colour;
/// drawn as its twelve edges when `wire`, else as solid faces.
struct Box {
    VtMatrix m{};
    double size = 0.0;
    VtVector colour{};
    bool wire = true;
};
/// A textured polygon of 3 or 4 vertices (a quad, as the text labels draw them).
struct TexturedQuad {
    int32_t count = 4;
    std::array<VtVector, 4> points{};
    std::array<VtVector, 4> colours{};
    std::array<VtVector, 4> normals{};
    std::array<VtVector, 4> uvs{};
    int32_t alpha_mode = 0;
    int32_t texture_flags = 0;
    TextureSnapshot texture;
};

} // namespace drawn

using DrawShape = std::variant<drawn::MatrixChange, drawn::PenChange, drawn::Line, drawn::Circle,
                               drawn::Box, drawn::TexturedQuad>;

struct DrawItem {
    const SceneObject* object = nullptr; ///< whose Draw recorded it
    DrawPass pass = DrawPass::Object;
    VtMatrix matrix = kIdentityMatrix; ///< the drawing matrix in force
    VtVector pen{1, 1, 1};             ///< the pen colour in force (r, g, b in 0..1)
    DrawShape shape;
};

/// One call of an object's Draw and what it returned.
struct DrawCall {
    const SceneObject* object = nullptr;
    DrawPass pass = DrawPass::Object;
    int32_t result = 0;
};

struct DisplayList {
    std::vector<DrawItem> items;
    std::vector<DrawCall> calls;

    void clear() {
        items.clear();
        calls.clear();
    }
    /// The items one object drew in one pass, in order.
    std::vector<const DrawItem*> of(const SceneObject* object,
                                    DrawPass pass = DrawPass::Object) const;
    /// What the object's Draw returned in the pass; -1 when it was not called.
    int32_t result_of(const SceneObject* object, DrawPass pass = DrawPass::Object) const;
};

} // namespace vantri
