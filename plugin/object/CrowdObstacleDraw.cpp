// The obstacle's outline in the viewport: a sphere as three red circles of its radius, a box
// as a red wire box of its edge lengths, both around the obstacle's origin in its own space;
// a linked geometry, or any other shape value, draws nothing.
#include "plugin/object/CrowdObstacle.h"

#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdobstacle.h"

namespace {

const LVector kRed(1.0, 0.0, 0.0);

} // namespace

// The circles take the obstacle's local axes under a drawing matrix that is already its
// global matrix, so a rotated obstacle turns its circles twice; they still run round the same
// sphere, since three perpendicular great circles stay perpendicular.
DrawResult CrowdObstacle::Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
    if (drawpass != DrawPass::Object) return DrawResult::Skip;
    if (op == nullptr || bd == nullptr || bh == nullptr) return DrawResult::Ok;
    bd->SetDrawingMatrix(op, bh->GetMg());
    GeData shape;
    op->GetParameter(DescID(CROWDOBSTACLE_SHAPE), shape);
    const int32_t kind = shape.GetLong();
    if (kind == CROWDOBSTACLE_SHAPE_SPHERE) {
        bd->SetPen(kRed);
        GeData radius;
        op->GetParameter(DescID(CROWDOBSTACLE_RADIUS), radius);
        const double r = radius.GetReal();
        const LMatrix ml = op->GetMl();
        const LVector a1 = !ml.v1 * r, a2 = !ml.v2 * r, a3 = !ml.v3 * r;
        bd->DrawCircle(LMatrix(LVector(), a1, a2, LVector()));
        bd->DrawCircle(LMatrix(LVector(), a1, a3, LVector()));
        bd->DrawCircle(LMatrix(LVector(), a2, a3, LVector()));
    } else if (kind == CROWDOBSTACLE_SHAPE_BOX) {
        GeData x, y, z;
        op->GetParameter(DescID(CROWDOBSTACLE_SIZE_X), x);
        op->GetParameter(DescID(CROWDOBSTACLE_SIZE_Y), y);
        op->GetParameter(DescID(CROWDOBSTACLE_SIZE_Z), z);
        const LMatrix box(LVector(), LVector(x.GetReal(), 0.0, 0.0), LVector(0.0, y.GetReal(), 0.0),
                          LVector(0.0, 0.0, z.GetReal()));
        bd->DrawBox(box, 0.5, kRed, TRUE);
    }
    return DrawResult::Ok;
}
