#include "plugin/object/CrowdBehaviours.h"

#include "plugin/messages.h"

#include "plugin/hostapi/SplineData.h"
#include "parameter_ids/ocrowdbehav.h"
#include "plugin/register.h"

#include <new>

namespace {

// Writes a real parameter through the node, as the attribute manager would.
void SetReal(GeListNode* node, int32_t id, double value) {
    node->SetParameter(DescID(id), GeData(value), 0);
}

} // namespace

NodeData* CrowdBehav::Alloc() {
    return new (std::nothrow) CrowdBehav;
}

Bool CrowdBehav::Init(GeListNode* node) {
    if (node == nullptr) return TRUE;
    SetReal(node, CROWDBEHAV_STRENGTH, 1.0);
    SetReal(node, CROWDBEHAV_ALIGN_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_COHESION_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_SEPARATION_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_FOLLOW_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_COLLISION_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_AVOIDANCE_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_KEEP_DIRECTION_WEIGHT, 1.0);
    SetReal(node, CROWDBEHAV_SPLINE_WEIGHT, 1.0);

    GetDateTimeNow(change_time);
    last_radius = 0.0;

    node->SetParameter(DescID(CROWDBEHAV_SPLINE_END_STOP), GeData(static_cast<int32_t>(TRUE)), 0);

    // The profile: flat at 1 over the whole spline, a line of two knots whose first knot is
    // raised from (0, 0) to (0, 1). Without memory for it the parameter stays empty, which
    // spline following reads as a weight of 1 as well.
    SplineData* profile = SplineData::Alloc();
    CurveKnot* first =
        profile != nullptr && profile->MakeLinearSpline(2) ? profile->GetKnot(0) : nullptr;
    if (first != nullptr) {
        first->position = LVector(0.0, 1.0, 0.0);
        // The value is a copy; when the host cannot make it, nothing is written.
        const GeData value(CustomDataId::SplineCurve, *profile);
        if (value.GetType() == CustomDataId::SplineCurve)
            node->SetParameter(DescID(CROWDBEHAV_SPLINE_PROFILE), value, 0);
    }
    SplineData::Free(profile);
    return TRUE;
}

Bool CrowdBehav::Message(GeListNode* node, int32_t type, void* data) {
    if (type == ObjectMessage::PrivateData && data != nullptr && node != nullptr) {
        // The flag stays as the sender set it; only the container pointer is answered.
        static_cast<VtPrivateData*>(data)->data =
            static_cast<ParameterNode*>(node)->GetDataInstance();
    }
    return TRUE;
}

// The radius is drawn for a few seconds after it changes, judged by CompareDateTime, which
// compares the first field in which the two times differ: within the minute of the change up
// to 4 seconds after it, and from a later minute on for the first 4 minutes, whatever the
// seconds (and so on for hours, days ...). The circle lies in the behaviour's own X-Z plane
// around its origin: the drawing matrix already carries the object's global matrix.
DrawResult CrowdBehav::Draw(BaseObject* op, DRAWPASS drawpass, BaseDraw* bd, BaseDrawHelp* bh) {
    if (drawpass != DrawPass::Object) return DrawResult::Skip;
    GetDateTimeNow(draw_time);
    if (op == nullptr || bd == nullptr || bh == nullptr) return DrawResult::Ok;
    bd->SetDrawingMatrix(op, bh->GetMg());
    const BaseContainer* bc = op->GetDataInstance();
    if (bc == nullptr) return DrawResult::Ok;
    const double r = bc->GetReal(CROWDBEHAV_SEPARATION_RADIUS);
    if (r != last_radius) {
        GetDateTimeNow(change_time);
        last_radius = r;
    }
    if (bc->GetBool(CROWDBEHAV_SEPARATION) && CompareDateTime(draw_time, change_time) <= 4) {
        bd->SetPen(LVector(1.0, 0.0, 0.0));
        bd->DrawCircle(LMatrix(LVector(), LVector(last_radius, 0.0, 0.0),
                               LVector(0.0, 0.0, last_radius), LVector()));
    }
    return DrawResult::Ok;
}

Bool RegisterCrowdBehav() {
    return RegisterCrowdObject(CrowdType::Behaviour, 1007, kParameterTypeFlags, CrowdBehav::Alloc,
                               "ocrowdbehav", "CrowdBehav.tif");
}
