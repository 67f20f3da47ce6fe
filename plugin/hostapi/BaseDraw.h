// The viewport an object draws into, and its per-object drawing context. Both are host
// handles, valid only during the Draw call that receives them.
#pragma once

#include "plugin/hostapi/BaseBitmap.h"
#include "plugin/hostapi/BaseObject.h"

/// What an object's Draw answers: drawn, skipped this pass, or failed.
enum class DrawResult : int32_t {
    Error = VT_DRAW_RESULT_ERROR,
    Ok = VT_DRAW_RESULT_OK,
    Skip = VT_DRAW_RESULT_SKIP,
};

/// The pass the host is drawing.
typedef int32_t DRAWPASS;
namespace DrawPass {
constexpr DRAWPASS Object = VT_DRAW_PASS_OBJECT;
constexpr DRAWPASS Box = VT_DRAW_PASS_BOX;
constexpr DRAWPASS Handles = VT_DRAW_PASS_HANDLES;
constexpr DRAWPASS Highlights = VT_DRAW_PASS_HIGHLIGHTS;
} // namespace DrawPass

/// Flags of lines, pens and textured polygons.
namespace DrawFlag {
/// A line drawn over the scene's surfaces instead of hidden behind them.
constexpr int32_t LineOnTop = VT_DRAW_LINE_ON_TOP;
/// The pen flag the crowd code passes with its colours.
constexpr int32_t PenPlain = VT_DRAW_PEN_PLAIN;
/// A texture blended by its bitmap's alpha.
constexpr int32_t AlphaFromTexture = VT_DRAW_ALPHA_FROM_TEXTURE;
/// A texture shown pixel for pixel, without smoothing.
constexpr int32_t TexturePixelated = VT_DRAW_TEXTURE_PIXELATED;
} // namespace DrawFlag

class BaseDraw {
  public:
    BaseDraw() = delete;
    ~BaseDraw() = delete;

    /// Later points are given in the space of `m`, drawing for `op`.
    void SetDrawingMatrix(BaseObject* op, const LMatrix& m);
    /// The colour (r, g, b in 0..1) of later lines and circles.
    void SetPen(const LVector& colour, int32_t flags = 0);
    void DrawLine(const LVector& from, const LVector& to, int32_t flags);
    /// The ellipse m.off + cos(t) m.v1 + sin(t) m.v2 (m.v3 unused).
    void DrawCircle(const LMatrix& m);
    /// The box m.off + (+-size) m.v1 + (+-size) m.v2 + (+-size) m.v3 in `colour`, as its
    /// edges when `wire`.
    void DrawBox(const LMatrix& m, double size, const LVector& colour, Bool wire);
    /// A polygon of `count` (3 or 4) vertices showing `bitmap`; the arrays hold `count`
    /// entries each. Texture coordinates (0, 0) is the bitmap's bottom-left pixel, (1, 1) its
    /// top-right. The host copies the pixels.
    void DrawTexture(const BaseBitmap* bitmap, const LVector* points, const LVector* colours,
                     const LVector* normals, const LVector* uvs, int32_t count, int32_t alpha_mode,
                     int32_t flags);

    VtDraw* Handle() { return reinterpret_cast<VtDraw*>(this); }
};

class BaseDrawHelp {
  public:
    BaseDrawHelp() = delete;
    ~BaseDrawHelp() = delete;

    /// The global matrix of the object being drawn.
    LMatrix GetMg();

    VtDrawHelp* Handle() { return reinterpret_cast<VtDrawHelp*>(this); }
};
