// Spline following through the module: a linear spline along +X from the origin, 95 long,
// and one agent facing +Z whose body is 10 across (so splines are sampled every 10 units).
// The agent's heading after a frame shows what the spline term returned; its spline_mg
// shows which sample was the nearest.
#include "tests/support/WorldScene.h"

namespace {

using vantri_test::vec;

using vantri_test::heading_of;
using vantri_test::unit;

constexpr double kTolerance = 1e-9;

class WorldSpline : public vantri_test::EnvironmentScene {
  protected:
    void SetUp() override {
        EnvironmentScene::SetUp();
        spline = add_spline("Path", {{0, 0, 0}, {95, 0, 0}});
        follow = add_follower_of(spline, "Follow");
    }

    vantri::SceneObject* add_follower_of(vantri::SceneObject* path, const std::string& name) {
        vantri::SceneObject* b = add_behaviour(name);
        set_int(b, CROWDBEHAV_SPLINE, 1);
        set_link(b, CROWDBEHAV_SPLINE_OBJECT, path);
        set_real(b, CROWDBEHAV_SPLINE_RADIUS, 1000.0);
        set_int(b, CROWDBEHAV_SPLINE_END_STOP, 0);
        return b;
    }

    // Marks the agent's spline frame, so that a frame that leaves it alone shows.
    static void mark(VtAgentRecord& a) { a.spline_mg.off = vec(-7, -7, -7); }

    vantri::SceneObject* spline = nullptr;
    vantri::SceneObject* follow = nullptr;
};

// 95 / 10 gives 9 samples, at t = 0, 1/8, ..., 1: 11.875 apart. An agent 5.9 past each
// sample still finds that sample the nearest, which 10 samples (10.56 apart) would not give.
TEST_F(WorldSpline, ASegmentOf95SampledEvery10GivesNineSamplesFromStartToEnd) {
    for (int i = 0; i <= 8; ++i) {
        const double x = 95.0 * i / 8;
        const VtAgentRecord& a = step({follow}, vec(x + 5.9, 0, 0));
        EXPECT_NEAR(a.spline_mg.off.x, x, kTolerance) << "sample " << i;
        EXPECT_EQ(a.spline_mg.v3, vec(1, 0, 0)) << "the tangent";
        EXPECT_EQ(a.spline_mg.v1, vec(0, 0, 1));
        EXPECT_EQ(a.spline_mg.v2, vec(0, -1, 0)) << "points down for a level tangent";
        EXPECT_NEAR(heading_after(a), heading_of(vec(1, 0, 1)), kTolerance)
            << "within its size of the curve the agent steers along the tangent";
    }
}

TEST_F(WorldSpline, NoStepNoSegmentOrNoSplineGivesNothing) {
    // The step is the first agent's smaller body size.
    VtAgentRecord* a = &step({follow}, vec(10, 0, 0), vec(0, 0, 1), [](VtAgentRecord& r) {
        mark(r);
        r.size.x = 0.0;
    });
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance) << "a step of 0 samples nothing";
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7));
    a->size.x = 10.0;

    set_link(follow, CROWDBEHAV_SPLINE_OBJECT, add_spline("Empty", {}));
    a = &step({follow}, vec(10, 0, 0), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance) << "neither segments nor points";
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7));

    set_link(follow, CROWDBEHAV_SPLINE_OBJECT, add_target("Not a spline", VtVector{0, 0, 0}));
    a = &step({follow}, vec(10, 0, 0), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance) << "a null has no curve";
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7));
}

TEST_F(WorldSpline, EverySegmentIsSampled) {
    vantri::SceneObject* two = add(vantri::kSplineType, "Two segments");
    two->set_spline(std::make_shared<vantri::SplinePath>(
        std::vector<std::vector<VtVector>>{{{0, 0, 0}, {95, 0, 0}}, {{0, 0, 200}, {95, 0, 200}}},
        false, vantri::SplineInterpolation::Linear));
    set_link(follow, CROWDBEHAV_SPLINE_OBJECT, two);
    const VtAgentRecord* a = &step({follow}, vec(40, 0, 195));
    EXPECT_NEAR(a->spline_mg.off.z, 200.0, kTolerance) << "the second segment is sampled too";
    EXPECT_NEAR(a->spline_mg.off.x, 95.0 * 3 / 8, kTolerance);
}

TEST_F(WorldSpline, OnlySamplesNearerThanTheCaptureDistanceCount) {
    set_real(follow, CROWDBEHAV_SPLINE_RADIUS, 50.0);
    VtAgentRecord* a = &step({follow}, vec(47.5, 0, 50), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance) << "a sample at the capture distance";
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7));
    set_real(follow, CROWDBEHAV_SPLINE_RADIUS, 50.001);
    a = &step({follow}, vec(47.5, 0, 50));
    EXPECT_NEAR(a->spline_mg.off.x, 47.5, kTolerance);

    set_real(follow, CROWDBEHAV_SPLINE_RADIUS, 0.0);
    a = &step({follow}, vec(47.5, 0, 0), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance) << "capture distance 0: always nothing";
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7));
}

TEST_F(WorldSpline, TheEndStopSwitchEndsTheForceAtTheLastSample) {
    set_int(follow, CROWDBEHAV_SPLINE_END_STOP, 1);
    VtAgentRecord* a = &step({follow}, vec(100, 0, 0), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*a), 0.0, kTolerance);
    EXPECT_EQ(a->spline_mg.off, vec(-7, -7, -7)) << "the spline frame is not updated";
    a = &step({follow}, vec(80, 0, 0));
    EXPECT_NEAR(a->spline_mg.off.x, 95.0 * 7 / 8, kTolerance) << "before the end it steers";
    EXPECT_NEAR(heading_after(*a), heading_of(vec(1, 0, 1)), kTolerance);
    set_int(follow, CROWDBEHAV_SPLINE_END_STOP, 0);
    a = &step({follow}, vec(100, 0, 0));
    EXPECT_NEAR(heading_after(*a), heading_of(vec(1, 0, 1)), kTolerance);
}

// Farther than its size from the curve, the agent steers half along the tangent and half
// back to the curve: 45 degrees off the tangent when the two are perpendicular.
TEST_F(WorldSpline, BeyondItsSizeTheAgentSteersBetweenTangentAndCurve) {
    const VtAgentRecord& a = step({follow}, vec(47.5, 0, -30));
    EXPECT_NEAR(a.spline_mg.off.x, 47.5, kTolerance);
    EXPECT_NEAR(heading_after(a), heading_of(vec(0, 0, 1) + unit(vec(1, 0, 1))), kTolerance);
    const VtAgentRecord& b = step({follow}, vec(47.5, 0, 9.9));
    EXPECT_NEAR(heading_after(b), heading_of(vec(1, 0, 1)), kTolerance)
        << "within its size: along the tangent only";
}

// With keeping direction (weight 1) beside the spline term, the behaviour's sum is
// (w, 0, 1) for a spline vector of length w along +X.
TEST_F(WorldSpline, TheProfileSetsTheLengthAndTheFirstBehaviourSetsTheWeights) {
    set_int(follow, CROWDBEHAV_KEEP_DIRECTION, 1);
    const auto expected = [](double w, int behaviours) {
        return heading_of(vec(0, 0, 1) + unit(vec(w, 0, 1)) * behaviours);
    };
    EXPECT_NEAR(heading_after(step({follow}, vec(47.5, 0, 0))), expected(1.0, 1), kTolerance)
        << "the default profile weighs 1";
    set_profile(follow, 0.0, 1.0);
    EXPECT_NEAR(heading_after(step({follow}, vec(47.5, 0, 0))), expected(0.5, 1), kTolerance)
        << "y = t at the middle sample";

    vantri::SceneObject* other = add_follower_of(spline, "Other");
    set_int(other, CROWDBEHAV_KEEP_DIRECTION, 1);
    set_profile(follow, 0.5, 0.5);
    EXPECT_NEAR(heading_after(step({follow, other}, vec(47.5, 0, 0))), expected(0.5, 2), kTolerance)
        << "the second behaviour reuses the first one's samples and weights";
    EXPECT_NEAR(heading_after(step({other, follow}, vec(47.5, 0, 0))), expected(1.0, 2),
                kTolerance);
}

// A path ten million units long walked by agents 10 across would take a million samples, each
// searched by every agent every frame; it gets 65,536, evenly spaced over the whole length.
// A spline too long to measure takes none, at once.
TEST_F(WorldSpline, AVeryLongSplineKeepsABoundedNumberOfEvenSamples) {
    constexpr double kLong = 1e7;
    constexpr double kGap = kLong / 65535;
    set_link(follow, CROWDBEHAV_SPLINE_OBJECT, add_spline("Long", {{0, 0, 0}, {kLong, 0, 0}}));
    for (const int i : {0, 1000, 65535}) {
        const VtAgentRecord& a = step({follow}, vec(kGap * i + 0.3 * kGap, 0, 0));
        EXPECT_NEAR(a.spline_mg.off.x, kGap * i, 1e-6 * kGap) << "sample " << i;
    }
    const VtAgentRecord& a = step({follow}, vec(kGap * 1000 + 0.6 * kGap, 0, 0));
    EXPECT_NEAR(a.spline_mg.off.x, kGap * 1001, 1e-6 * kGap) << "no sample between the two";

    set_link(follow, CROWDBEHAV_SPLINE_OBJECT, add_spline("Endless", {{0, 0, 0}, {1e300, 0, 0}}));
    VtAgentRecord* far = &step({follow}, vec(10, 0, 0), vec(0, 0, 1), mark);
    EXPECT_NEAR(heading_after(*far), 0.0, kTolerance);
    EXPECT_EQ(far->spline_mg.off, vec(-7, -7, -7));
}

// Refused memory anywhere in a frame that samples a spline leaves no block behind and
// never crashes.
TEST_F(WorldSpline, RefusedAllocationsWhileSamplingLeakNothing) {
    step({follow}, vec(47.5, 0, 0));
    for (uint64_t n = 1; n <= 40; ++n) {
        VtAgentRecord& a = agent(generator, 0);
        place(a, vec(47.5, 0, 0));
        vantri::allocator().fail_nth(n);
        simulate(++frame);
        vantri::allocator().fail_nth(0);
        EXPECT_TRUE(vantri_test::finite(agent(generator, 0))) << "refusal " << n;
    }
}

} // namespace
