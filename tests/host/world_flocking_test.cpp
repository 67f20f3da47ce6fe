// Flocking forces and the motion step, seen through one simulated frame: the records are set
// up through the generator's message 23, and the agent's heading after the frame shows the
// steering sum (its own direction plus the behaviour's vector), since the generator's turn
// limit is lifted.
#include "tests/support/WorldScene.h"

namespace {

using vantri_test::vec;

using vantri_test::step_of;

constexpr double kTolerance = 1e-12;

// The heading of a horizontal steering sum.
double heading_of(const VtVector& sum) {
    return std::atan2(-sum.x, sum.z);
}

VtVector unit(const VtVector& v) {
    return v * (1.0 / vantri::length(v));
}

class WorldFlocking : public vantri_test::WorldScene {
  protected:
    // A crowd of `count` agents driven by one behaviour; the crew exists, nothing simulated.
    void build(int32_t count) {
        generator = add_generator("Crowd", count, 1, 1, world);
        behaviour = add_behaviour("Flock");
        set_list(generator, CROWDGEN_BEHAVIOURS, {behaviour});
    }

    void start() {
        create_crew();
        frame = 0;
        for (int32_t k = 0; k < agents(generator)->count; ++k)
            place(agent(generator, k), vec(1000.0 * (k + 1), 0, 0));
    }

    // Simulates the next frame and returns the first agent's heading after it.
    double step() {
        simulate(++frame);
        const VtAgentRecord& a = agent(generator, 0);
        EXPECT_TRUE(vantri_test::finite(a));
        return heading_after(a);
    }

    vantri::SceneObject* generator = nullptr;
    vantri::SceneObject* behaviour = nullptr;
    int32_t frame = 0;
};

TEST_F(WorldFlocking, AnAgentAloneKeepsItsOwnDirection) {
    build(1);
    set_int(behaviour, CROWDBEHAV_ALIGN, 1);
    set_int(behaviour, CROWDBEHAV_ALIGN_RADIUS, 50);
    set_int(behaviour, CROWDBEHAV_COHESION, 1);
    set_int(behaviour, CROWDBEHAV_COHESION_DISTANCE, 20);
    set_int(behaviour, CROWDBEHAV_COHESION_MAX, 50);
    set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 50);
    start();
    const VtVector facing = vec(0.6, 0, 0.8);
    place(agent(generator, 0), VtVector{}, facing);
    EXPECT_NEAR(step(), heading_of(facing), kTolerance);
}

TEST_F(WorldFlocking, AlignmentWeighsANeighbourAtTheRadiusWithZero) {
    build(2);
    set_int(behaviour, CROWDBEHAV_ALIGN, 1);
    set_int(behaviour, CROWDBEHAV_ALIGN_RADIUS, 10);
    start();
    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(10, 0, 0), vec(1, 0, 0));
    EXPECT_NEAR(step(), 0.0, kTolerance) << "a neighbour exactly at the radius";

    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(9, 0, 0), vec(1, 0, 0));
    EXPECT_NEAR(step(), heading_of(vec(1, 0, 1)), kTolerance) << "inside the radius";

    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), VtVector{}, vec(1, 0, 0));
    EXPECT_NEAR(step(), heading_of(vec(1, 0, 1)), kTolerance)
        << "a neighbour at the same place counts with weight 1";
}

TEST_F(WorldFlocking, SeparationIgnoresNeighboursAtTheRadiusOrAtTheSamePlace) {
    build(2);
    set_int(behaviour, CROWDBEHAV_SEPARATION, 1);
    set_int(behaviour, CROWDBEHAV_SEPARATION_RADIUS, 10);
    start();
    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(10, 0, 0));
    EXPECT_NEAR(step(), 0.0, kTolerance) << "the radius test is strict";

    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), VtVector{});
    EXPECT_NEAR(step(), 0.0, kTolerance) << "no push from a neighbour at distance 0";

    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(5, 0, 0));
    const VtVector repulsion = unit(vec(0, 0, 1) + vec(-1, 0, 0) * 0.5);
    EXPECT_NEAR(step(), heading_of(vec(0, 0, 1) + repulsion), kTolerance)
        << "half weight at half the radius, away from the neighbour";
}

TEST_F(WorldFlocking, CohesionNeedsAnOuterRadiusBeyondTheMiddle) {
    build(2);
    set_int(behaviour, CROWDBEHAV_COHESION, 1);
    set_int(behaviour, CROWDBEHAV_COHESION_DISTANCE, 10);
    set_int(behaviour, CROWDBEHAV_COHESION_MAX, 10);
    start();
    const VtVector pulled = vec(0, 0, 1) + unit(vec(1, 0, 1));
    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(10, 0, 0));
    EXPECT_NEAR(step(), 0.0, kTolerance) << "outer == middle switches the pull off";

    set_int(behaviour, CROWDBEHAV_COHESION_MAX, 20);
    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(10, 0, 0));
    EXPECT_NEAR(step(), heading_of(pulled), kTolerance) << "full weight at the middle radius";

    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), VtVector{});
    EXPECT_NEAR(step(), 0.0, kTolerance) << "no pull towards a neighbour at distance 0";

    // Inner and middle radius equal: a neighbour exactly there counts fully instead of 0/0.
    set_int(behaviour, CROWDBEHAV_COHESION_MIN, 10);
    place(agent(generator, 0), VtVector{});
    place(agent(generator, 1), vec(10, 0, 0));
    EXPECT_NEAR(step(), heading_of(pulled), kTolerance);
}

TEST_F(WorldFlocking, FollowPointsAtTheTargetWithinItsRange) {
    build(1);
    vantri::SceneObject* target = add_target("Target", VtVector{100, 0, 0});
    set_int(behaviour, CROWDBEHAV_FOLLOW, 1);
    set_link(behaviour, CROWDBEHAV_FOLLOW_TARGET, target);
    start();
    const double towards = heading_of(vec(1, 0, 1));
    place(agent(generator, 0), VtVector{});
    EXPECT_NEAR(step(), towards, kTolerance) << "range 0 has no limit";

    set_real(behaviour, CROWDBEHAV_FOLLOW_DISTANCE, 10.0);
    target->set_position(VtVector{10.5, 0, 0});
    place(agent(generator, 0), VtVector{});
    EXPECT_NEAR(step(), 0.0, kTolerance) << "a target 10.5 away is out of range 10";

    target->set_position(VtVector{9.5, 0, 0});
    place(agent(generator, 0), VtVector{});
    EXPECT_NEAR(step(), towards, kTolerance);
}

TEST_F(WorldFlocking, BrakingToAStandstillStartsAWaitOfOneToTenFrames) {
    build(10);
    start();
    for (int32_t k = 0; k < 10; ++k) {
        VtAgentRecord& a = agent(generator, k);
        a.acceleration = 0.5;
        a.max_speed = 5.0;
        a.steer_vector = vec(0, 0, -1); // pushed from ahead
        a.speed = k == 9 ? 1.0 : 0.0;
    }
    const VtVector before = agent(generator, 9).mg.off;
    simulate(1);
    for (int32_t k = 0; k < 9; ++k) {
        const VtAgentRecord& a = agent(generator, k);
        EXPECT_EQ(a.waiting, 1) << "agent " << k;
        EXPECT_GE(a.wait_frames, 1);
        EXPECT_LE(a.wait_frames, 10);
        EXPECT_EQ(a.speed, 0.0);
    }
    const VtAgentRecord& braking = agent(generator, 9);
    EXPECT_EQ(braking.waiting, 0);
    EXPECT_EQ(braking.speed, 1.0 - 0.5 * step_of(1, 25));
    EXPECT_EQ(braking.mg.off, before) << "a braking agent does not move, whatever its speed";
}

TEST_F(WorldFlocking, AWaitEndsInItsLastFrameAndTheAgentMovesAtOnce) {
    build(2);
    start();
    for (int32_t k = 0; k < 2; ++k) {
        VtAgentRecord& a = agent(generator, k);
        a.acceleration = 0.5;
        a.max_speed = 5.0;
        a.waiting = 1;
        a.wait_frames = k + 1;
    }
    const VtVector first_at = agent(generator, 0).mg.off;
    const VtVector second_at = agent(generator, 1).mg.off;
    simulate(1);
    const VtAgentRecord& ended = agent(generator, 0);
    EXPECT_EQ(ended.waiting, 0);
    EXPECT_EQ(ended.wait_frames, 0);
    const double speed = 0.5 * 0.5 * step_of(1, 25);
    EXPECT_EQ(ended.speed, speed) << "half the acceleration in the frame the wait ends";
    EXPECT_EQ(ended.mg.off.z, first_at.z + speed * step_of(1, 25));
    EXPECT_EQ(ended.mg.off.x, first_at.x);

    const VtAgentRecord& waiting = agent(generator, 1);
    EXPECT_EQ(waiting.waiting, 1);
    EXPECT_EQ(waiting.wait_frames, 1);
    EXPECT_EQ(waiting.speed, 0.0);
    EXPECT_EQ(waiting.mg.off, second_at);
}

TEST_F(WorldFlocking, MovingAgentsAccelerateUpToTheirTopSpeed) {
    build(2);
    start();
    VtAgentRecord& moving = agent(generator, 0);
    moving.acceleration = 0.5;
    moving.max_speed = 5.0;
    VtAgentRecord& held = agent(generator, 1);
    held.acceleration = 0.5;
    held.max_speed = 0.0;
    const VtVector moving_at = moving.mg.off;
    const VtVector held_at = held.mg.off;
    simulate(1);
    const double speed = 0.5 * step_of(1, 25);
    EXPECT_EQ(agent(generator, 0).speed, speed);
    EXPECT_EQ(agent(generator, 0).mg.off.z, moving_at.z + speed * step_of(1, 25));
    EXPECT_EQ(agent(generator, 1).speed, 0.0) << "a top speed of 0 holds the agent";
    EXPECT_EQ(agent(generator, 1).mg.off, held_at);

    agent(generator, 0).speed = 4.999;
    simulate(2);
    EXPECT_EQ(agent(generator, 0).speed, 5.0) << "clamped to the top speed";
}

} // namespace
