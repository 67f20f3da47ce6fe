// The generator's viewport guides: for every agent its sensing zone, its body ellipses, and
// its number with the steering vectors the world computed for it, each behind its own switch.
#include "plugin/object/CrowdGenerator.h"
#include "plugin/object/TextLabel.h"

#include "abi/AngleConstants.h"

#include "plugin/geometry/ForwardAxis.h"
#include "plugin/geometry/RotationConversion.h"
#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdgenerator.h"

namespace {

using angle::kHalfPi;
using angle::kQuarterPi;

const LVector kRed(1.0, 0.0, 0.0);
const LVector kGreen(0.0, 1.0, 0.0);
const LVector kBlue(0.0, 0.0, 1.0);
const LVector kMagenta(1.0, 0.0, 1.0);
const LVector kYellow(1.0, 1.0, 0.0);
const LVector kWhite(1.0, 1.0, 1.0);

/// The ellipse (a circle when the semi-axes are equal) of centre `centre` and semi-axes `a1`
/// and `a2`, through the viewport's circle primitive.
void DrawEllipse(BaseDraw* bd, const LVector& centre, const LVector& a1, const LVector& a2) {
    bd->DrawCircle(LMatrix(centre, a1, a2, LVector()));
}

} // namespace

// Everything is drawn in the generator's space: the drawing matrix is the generator's global
// matrix, and each agent's instance has its local matrix in that space. The side radius of
// the zone follows the current forward-axis parameter, while the forward direction f uses the
// axis stored at the last crew creation, as the rest of the generator does.
DrawResult Crowdgenerator::Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
    if (drawpass != DrawPass::Object) return DrawResult::Skip;
    if (op == nullptr || bd == nullptr || bh == nullptr) return DrawResult::Ok;
    const BaseContainer* bc = op->GetDataInstance();
    if (bc == nullptr) return DrawResult::Ok;
    const Bool show_range = bc->GetLong(CROWDGEN_SHOW_RANGE) != 0;
    const Bool show_body = bc->GetLong(CROWDGEN_SHOW_BODY) != 0;
    const Bool show_info = bc->GetLong(CROWDGEN_SHOW_INFO) != 0;
    if (!show_range && !show_body && !show_info) return DrawResult::Ok;

    BaseObject* cache = op->GetCache();
    bd->SetDrawingMatrix(op, bh->GetMg());
    double sx = 0.0, sy = 0.0, sz = 0.0;
    if (show_body) {
        sx = bc->GetReal(CROWDGEN_SIZE_X);
        sy = bc->GetReal(CROWDGEN_SIZE_Y);
        sz = bc->GetReal(CROWDGEN_SIZE_Z);
    }
    if (cache == nullptr || cache->GetType() != HostObjectType::Null) return DrawResult::Ok;

    const int32_t axis = bc->GetLong(CROWDGEN_FORWARD_AXIS);
    const double a = (axis == CROWDGEN_AXIS_XPOS || axis == CROWDGEN_AXIS_XNEG)
                         ? bc->GetReal(CROWDGEN_SIZE_Z)
                         : bc->GetReal(CROWDGEN_SIZE_X);
    const double b = bc->GetReal(CROWDGEN_RANGE);

    int32_t i = 0;
    for (BaseObject* agent = cache->GetDown(); agent != nullptr; agent = agent->GetNext(), ++i) {
        const LMatrix m = agent->GetMl();
        const LVector p = m.off;
        const LVector f = !GetDirVect(m, forward_axis);

        if (show_body) {
            bd->SetPen(kRed);
            DrawEllipse(bd, p, !m.v1 * sx, !m.v3 * sz);
            if (sy != 0.0) DrawEllipse(bd, p, !m.v1 * sx, !m.v2 * sy);
        }

        if (show_range) {
            bd->SetPen(kGreen);
            const double e = EllipseRlen(a, b, kQuarterPi);
            const LVector pL = p + MatrixRotY(-kHalfPi) * f * a;
            bd->DrawLine(p, pL, DrawFlag::LineOnTop);
            const LVector p1 = p + !(MatrixRotY(-kQuarterPi) * f) * e;
            bd->DrawLine(pL, p1, DrawFlag::LineOnTop);
            const LVector pF = p + f * b;
            bd->DrawLine(p1, pF, DrawFlag::LineOnTop);
            const LVector p2 = p + !(MatrixRotY(kQuarterPi) * f) * e;
            bd->DrawLine(pF, p2, DrawFlag::LineOnTop);
            const LVector pR = p + MatrixRotY(kHalfPi) * f * a;
            bd->DrawLine(p2, pR, DrawFlag::LineOnTop);
            bd->DrawLine(pR, p, DrawFlag::LineOnTop);
            bd->DrawLine(p, pF, DrawFlag::LineOnTop);
        }

        if (show_info && i < agents.GetCount()) {
            const Agent_ID_Data& r = agents[i];
            SDrawText(bd, String::FromInt(i), p + LVector(10.0, 0.0, 0.0), kWhite, kWhite);
            bd->SetPen(kRed);
            bd->DrawLine(p, p + r.collision_steer * b, DrawFlag::LineOnTop);
            bd->SetPen(kBlue);
            bd->DrawLine(p, p + r.avoid_steer * b, DrawFlag::LineOnTop);
            bd->SetPen(kMagenta);
            bd->DrawLine(p, p + !r.steer_vector * b, DrawFlag::LineOnTop);
            bd->SetPen(kYellow);
            bd->DrawLine(p, r.spline_mg.off, DrawFlag::LineOnTop);
            bd->DrawLine(r.spline_mg.off, r.spline_mg.off + !r.spline_mg.v3 * 100.0,
                         DrawFlag::LineOnTop);
        }
    }
    return DrawResult::Ok;
}
