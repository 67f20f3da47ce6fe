// The world's mark in the viewport: an axis cross of three 300-unit lines, red along X, green
// along Y and blue along Z of its display matrix, in the world object's own space.
#include "CrowdWorld.h"

#include "VectorMath.h"

namespace {

constexpr double kCrossLength = 300.0;

} // namespace

DrawResult Crowdworld::Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
    if (drawpass != DrawPass::Object) return DrawResult::Skip;
    if (bd == nullptr || bh == nullptr) return DrawResult::Ok;
    const LMatrix& d = display_mg;
    bd->SetDrawingMatrix(op, bh->GetMg());
    bd->SetPen(LVector(1.0, 0.0, 0.0), DrawFlag::PenPlain);
    bd->DrawLine(d.off, d.off + kCrossLength * !d.v1, DrawFlag::LineOnTop);
    bd->SetPen(LVector(0.0, 1.0, 0.0), DrawFlag::PenPlain);
    bd->DrawLine(d.off, d.off + kCrossLength * !d.v2, DrawFlag::LineOnTop);
    bd->SetPen(LVector(0.0, 0.0, 1.0), DrawFlag::PenPlain);
    bd->DrawLine(d.off, d.off + kCrossLength * !d.v3, DrawFlag::LineOnTop);
    return DrawResult::Ok;
}
