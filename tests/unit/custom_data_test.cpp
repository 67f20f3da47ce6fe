// The host's custom parameter values (in/exclude lists and spline curves), the container
// getters' number conversions, and the plug-in's view of all of them through the real
// service tables.
#include "host/Host.h"
#include "plugin/hostapi/PluginApi.h"
#include "plugin/hostapi/InExcludeData.h"
#include "plugin/hostapi/SplineData.h"
#include "plugin/hostapi/host_binding.h"
#include "host/memory/Allocator.h"
#include "plugin/object/CrowdBehaviours.h"
#include "host/scene/Document.h"
#include "host/scene/InExcludeList.h"
#include "host/scene/SplineCurve.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace {

using vantri::SplineCurve;

double y_at(const SplineCurve& curve, double t) {
    return curve.point(t).y;
}

TEST(SplineCurve, LinearCurvesSpanTheUnitSquareOnTheDiagonal) {
    SplineCurve curve;
    ASSERT_TRUE(curve.make_linear(5));
    ASSERT_EQ(curve.knot_count(), 5);
    for (int32_t i = 0; i < 5; ++i) {
        EXPECT_EQ(curve.knot(i)->position.x, i / 4.0);
        EXPECT_EQ(curve.knot(i)->position.y, i / 4.0);
        EXPECT_EQ(curve.knot(i)->interpolation, VT_SPLINE_KNOT_LINEAR);
    }
    EXPECT_EQ(curve.knot(5), nullptr);
    EXPECT_EQ(curve.knot(-1), nullptr);
    EXPECT_DOUBLE_EQ(y_at(curve, 0.3), 0.3);

    ASSERT_TRUE(curve.make_linear(1));
    ASSERT_EQ(curve.knot_count(), 1);
    EXPECT_EQ(curve.knot(0)->position.x, 0.0);
    EXPECT_EQ(y_at(curve, 0.7), 0.0);

    ASSERT_TRUE(curve.make_linear(2));
    EXPECT_FALSE(curve.make_linear(-1)) << "a negative count is refused";
    EXPECT_FALSE(curve.make_linear(SplineCurve::kMaxKnots + 1));
    EXPECT_EQ(curve.knot_count(), 2) << "a refused request leaves the curve as it was";

    ASSERT_TRUE(curve.make_linear(0));
    EXPECT_EQ(curve.knot_count(), 0);
    EXPECT_EQ(curve.point(0.5).y, 0.0) << "an empty curve is 0 everywhere";
}

TEST(SplineCurve, EvaluatesBetweenKnotsInOrderOfXAndHoldsTheEnds) {
    SplineCurve curve;
    ASSERT_TRUE(curve.make_linear(2));
    // The behaviour's default profile: knot 0 raised to (0, 1) makes the curve flat at 1.
    curve.knot(0)->position = VtVector{0.0, 1.0, 0.0};
    for (double t : {-1.0, 0.0, 0.25, 1.0, 3.0})
        EXPECT_EQ(y_at(curve, t), 1.0) << t;
    const VtVector p = curve.point(0.25);
    EXPECT_EQ(p.x, 0.25);
    EXPECT_EQ(p.z, 0.0);

    // Knots edited out of order are evaluated in order of x.
    curve.knot(0)->position = VtVector{2.0, 0.0, 0.0}; // now (1, 1) then (2, 0)
    EXPECT_EQ(y_at(curve, 1.5), 0.5);
    EXPECT_EQ(y_at(curve, 0.0), 1.0) << "before the first knot: its value";
    EXPECT_EQ(y_at(curve, 9.0), 0.0) << "after the last knot: its value";

    // Two knots on one x make a step; the later one holds from that x on, and nothing
    // divides by the zero width.
    SplineCurve step;
    ASSERT_TRUE(step.add_knot(0.0, 0.0));
    ASSERT_TRUE(step.add_knot(0.5, 0.2));
    ASSERT_TRUE(step.add_knot(0.5, 0.8));
    ASSERT_TRUE(step.add_knot(1.0, 1.0));
    EXPECT_DOUBLE_EQ(y_at(step, 0.25), 0.1);
    EXPECT_EQ(y_at(step, 0.5), 0.8);
    EXPECT_DOUBLE_EQ(y_at(step, 0.75), 0.9);
    EXPECT_TRUE(std::isfinite(y_at(step, std::nan("")))) << "a NaN position reads a knot";

    // A knot moved to NaN does not upset the ordering of the others.
    step.knot(1)->position.x = std::nan("");
    EXPECT_DOUBLE_EQ(y_at(step, 0.25), 0.4) << "(0, 0) to (0.5, 0.8), the NaN knot set aside";

    auto copy = step.clone();
    step.knot(0)->position.y = 5.0;
    EXPECT_EQ(static_cast<SplineCurve&>(*copy).knot(0)->position.y, 0.0) << "a clone is deep";
}

TEST(InExcludeList, ResolvesLiveObjectsInTheAskedDocumentOnly) {
    vantri::Document document;
    vantri::Document other;
    auto* kept = new vantri::SceneObject(vantri::kNullType);
    auto* freed = new vantri::SceneObject(vantri::kNullType);
    auto* elsewhere = new vantri::SceneObject(vantri::kNullType);
    document.insert(kept);
    document.insert(freed);
    other.insert(elsewhere);

    vantri::InExcludeList list;
    list.append(kept);
    list.append(freed);
    list.append(elsewhere);
    list.append(nullptr);
    auto copy = list.clone();
    delete freed;

    ASSERT_EQ(list.count(), 4) << "entries stay counted when their object is gone";
    EXPECT_EQ(list.resolve(0, &document), kept);
    EXPECT_EQ(list.resolve(1, &document), nullptr) << "a freed object resolves to null";
    EXPECT_EQ(list.resolve(2, &document), nullptr) << "another document's object";
    EXPECT_EQ(list.resolve(2, nullptr), elsewhere) << "no document: any";
    EXPECT_EQ(list.resolve(3, nullptr), nullptr);
    EXPECT_EQ(list.resolve(4, nullptr), nullptr);
    EXPECT_EQ(list.resolve(-1, nullptr), nullptr);
    EXPECT_EQ(list.summary(), "4 objects (2 missing)");
    EXPECT_EQ(static_cast<vantri::InExcludeList&>(*copy).resolve(0, &document), kept);
}

// The plug-in's API layer bound to a real host's tables.
class BoundApi : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_GE(vt::BindHost(host.api()), VT_API_VERSION);
        baseline = vantri::allocator().live();
    }
    void TearDown() override {
        EXPECT_EQ(vantri::allocator().live(), baseline) << "every custom value was freed";
        vt::UnbindHost();
    }
    static BaseContainer* container_of(vantri::Atom& atom) {
        return reinterpret_cast<BaseContainer*>(atom.data().handle());
    }

    vantri::Host host;
    vantri::Document document;
    int64_t baseline = 0;
};

TEST_F(BoundApi, SplineDataMadeByThePluginIsStoredAndReadBack) {
    SplineData* curve = SplineData::Alloc();
    ASSERT_NE(curve, nullptr);
    EXPECT_EQ(curve->GetKnotCount(), 0);
    ASSERT_TRUE(curve->MakeLinearSpline(2));
    CurveKnot* first = curve->GetKnot(0);
    ASSERT_NE(first, nullptr);
    first->position = LVector(0.0, 1.0, 0.0);
    EXPECT_EQ(curve->GetKnot(2), nullptr);
    EXPECT_EQ(curve->GetPoint(0.5).y, 1.0) << "the knot was changed in the host's curve";

    auto* node = new vantri::SceneObject(vantri::kNullType);
    document.insert(node);
    BaseContainer* bc = container_of(*node);
    ASSERT_TRUE(bc->SetData(1041, GeData(CustomDataId::SplineCurve, *curve)));
    SplineData::Free(curve);
    EXPECT_EQ(curve, nullptr);

    auto* stored = static_cast<SplineData*>(bc->GetCustomDataType(1041, CustomDataId::SplineCurve));
    ASSERT_NE(stored, nullptr) << "the container's own value";
    EXPECT_EQ(stored, reinterpret_cast<SplineData*>(
                          vantri::SplineCurve::from(node->data().find(1041)->custom->handle())));
    EXPECT_EQ(stored->GetKnotCount(), 2);
    EXPECT_EQ(stored->GetKnot(0)->position.y, 1.0);
    EXPECT_EQ(bc->GetCustomDataType(1041, CustomDataId::InExcludeList), nullptr)
        << "asked for another type";

    // A list handed the spline calls (or a curve the list calls) answers as empty.
    auto* as_list = reinterpret_cast<InExcludeData*>(stored);
    EXPECT_EQ(as_list->GetObjectCount(), 0);
    EXPECT_EQ(as_list->ObjectFromIndex(nullptr, 0), nullptr);

    vantri::allocator().fail_nth(1);
    EXPECT_EQ(SplineData::Alloc(), nullptr) << "a refused allocation gives null";
}

TEST_F(BoundApi, InExcludeDataResolvesThroughTheContainer) {
    auto* holder = new vantri::SceneObject(vantri::kNullType);
    auto* listed = new vantri::SceneObject(vantri::kNullType);
    auto* gone = new vantri::SceneObject(vantri::kNullType);
    document.insert(holder);
    document.insert(listed);
    document.insert(gone);
    auto list = std::make_unique<vantri::InExcludeList>();
    list->append(gone);
    list->append(listed);
    holder->data().set(1017, vantri::Value::of_custom(std::move(list)));
    delete gone;

    const auto* data = static_cast<InExcludeData*>(
        container_of(*holder)->GetCustomDataType(1017, CustomDataId::InExcludeList));
    ASSERT_NE(data, nullptr);
    auto* doc = reinterpret_cast<BaseDocument*>(document.handle());
    EXPECT_EQ(data->GetObjectCount(), 2);
    EXPECT_EQ(data->ObjectFromIndex(doc, 0), nullptr);
    EXPECT_EQ(data->ObjectFromIndex(doc, 1), reinterpret_cast<ParameterNode*>(listed->handle()));
    EXPECT_EQ(data->ObjectFromIndex(doc, 2), nullptr);

    vantri::Document other;
    EXPECT_EQ(data->ObjectFromIndex(reinterpret_cast<BaseDocument*>(other.handle()), 1), nullptr);
    EXPECT_EQ(container_of(*holder)->GetCustomDataType(99, CustomDataId::InExcludeList), nullptr);
}

TEST_F(BoundApi, ContainerGettersConvertBetweenNumberTypes) {
    auto* node = new vantri::SceneObject(vantri::kNullType);
    document.insert(node);
    BaseContainer* bc = container_of(*node);
    bc->SetReal(1, -2.75);
    bc->SetReal(2, 2.99);
    bc->SetLong(3, 7);
    bc->SetBool(4, TRUE);
    bc->SetReal(5, 0.5);
    bc->SetReal(6, 0.0);
    bc->SetVector(7, LVector(1, 2, 3));

    EXPECT_EQ(bc->GetLong(1), -2) << "truncated toward zero";
    EXPECT_EQ(bc->GetLong(2), 2);
    EXPECT_EQ(bc->GetReal(3), 7.0);
    EXPECT_EQ(bc->GetReal(4), 1.0) << "a bool widens to 1.0";
    EXPECT_EQ(bc->GetLong(4), 1);
    EXPECT_TRUE(bc->GetBool(5)) << "non-zero, although it truncates to 0";
    EXPECT_FALSE(bc->GetBool(6));
    EXPECT_TRUE(bc->GetBool(3));
    EXPECT_EQ(bc->GetLong(7), 0) << "a vector is no number";

    EXPECT_EQ(bc->GetLong(99), 0);
    EXPECT_EQ(bc->GetReal(99), 0.0);
    EXPECT_FALSE(bc->GetBool(99));
    EXPECT_EQ(bc->GetVector(99), LVector(0, 0, 0));
    EXPECT_EQ(bc->GetVector(3), LVector(0, 0, 0)) << "an integer is no vector";
    EXPECT_EQ(bc->GetLink(99, nullptr), nullptr);
    EXPECT_EQ(bc->GetCustomDataType(99, CustomDataId::SplineCurve), nullptr);

    // A parameter read through GeData follows the same rules.
    EXPECT_TRUE(bc->GetData(5).GetBool());
    EXPECT_EQ(bc->GetData(1).GetLong(), -2);
    EXPECT_EQ(bc->GetData(4).GetReal(), 1.0);
    EXPECT_FALSE(GeData().GetBool());

    // A bool that crosses with the bool type id is stored as 0 or 1, never read as a
    // custom handle.
    VtData flag{};
    flag.type = VT_DTYPE_BOOL;
    flag.value.integer = 5;
    ASSERT_TRUE(vt::Host()->containers->set_data(node->data().handle(), 8, &flag));
    EXPECT_EQ(bc->GetLong(8), 1);
}

TEST(CompareDateTime, DiffersInTheFirstFieldThatDiffersOnly) {
    const DateTime change(2024, 5, 17, 12, 0, 10);
    EXPECT_EQ(CompareDateTime(change, change), 0);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 0, 14), change), 4);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 0, 59), change), 49);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 1, 0), change), 1)
        << "a later minute compares the minutes alone";
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 4, 59), change), 4);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 5, 0), change), 5);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 13, 0, 0), change), 1);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 18, 0, 0, 0), change), 1);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 6, 1, 0, 0, 0), change), 1);
    EXPECT_EQ(CompareDateTime(DateTime(2025, 1, 1, 0, 0, 0), change), 1);
    EXPECT_EQ(CompareDateTime(DateTime(2024, 5, 17, 12, 0, 5), change), -5)
        << "a clock set back gives a negative result";
    EXPECT_EQ(CompareDateTime(DateTime(2023, 12, 31, 23, 59, 59), change), -1);
    EXPECT_EQ(CompareDateTime(DateTime(2147483647, 1, 1, 0, 0, 0),
                              DateTime(-2147483647 - 1, 1, 1, 0, 0, 0)),
              2147483647)
        << "saturates instead of overflowing";
}

} // namespace
