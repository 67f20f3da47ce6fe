// The world's mark in the viewport: an axis cross of three 300-unit lines from the world
// object's origin, red along its X axis, green along Y and blue along Z.
#include "plugin/object/CrowdWorld.h"

namespace {

constexpr double kCrossLength = 300.0;

} // namespace

DrawResult Crowdworld::Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
    if (drawpass != DrawPass::Object) return DrawResult::Skip;
    if (bd == nullptr || bh == nullptr) return DrawResult::Ok;
    const LVector origin;
    bd->SetDrawingMatrix(op, bh->GetMg());
    bd->SetPen(LVector(1.0, 0.0, 0.0), DrawFlag::PenPlain);
    bd->DrawLine(origin, LVector(kCrossLength, 0.0, 0.0), DrawFlag::LineOnTop);
    bd->SetPen(LVector(0.0, 1.0, 0.0), DrawFlag::PenPlain);
    bd->DrawLine(origin, LVector(0.0, kCrossLength, 0.0), DrawFlag::LineOnTop);
    bd->SetPen(LVector(0.0, 0.0, 1.0), DrawFlag::PenPlain);
    bd->DrawLine(origin, LVector(0.0, 0.0, kCrossLength), DrawFlag::LineOnTop);
    return DrawResult::Ok;
}
