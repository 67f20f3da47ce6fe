// Behaviour and blend evaluation. An agent at the origin faces +Z; behaviours that follow a
// target at +X or at -X stand for steering vectors of known direction and length (their
// strength). The agent's heading after one frame shows the sum of its direction and what the
// listed objects returned.
#include "tests/support/WorldScene.h"

namespace {

using vantri_test::vec;

constexpr double kTolerance = 1e-12;

double heading_of(const VtVector& sum) {
    return std::atan2(-sum.x, sum.z);
}

class WorldBehaviour : public vantri_test::WorldScene {
  protected:
    void SetUp() override {
        WorldScene::SetUp();
        generator = add_generator("Crowd", 1, 1, 1, world);
        right = add_target("Right", VtVector{100, 0, 0});
        left = add_target("Left", VtVector{-100, 0, 0});
    }

    // Lists `items` in the generator and returns the agent's heading after one frame.
    double steer(const std::vector<vantri::SceneObject*>& items) {
        set_list(generator, CROWDGEN_BEHAVIOURS, items);
        if (frame == 0) create_crew();
        place(agent(generator, 0), VtVector{});
        simulate(++frame);
        const VtAgentRecord& a = agent(generator, 0);
        EXPECT_TRUE(vantri_test::finite(a));
        return heading_after(a);
    }

    vantri::SceneObject* add_blend(const std::string& name, int32_t mode) {
        vantri::SceneObject* blend = add(vantri_test::kBlendType, name);
        set_int(blend, CROWDBLEND_MODE, mode);
        return blend;
    }

    vantri::SceneObject* generator = nullptr;
    vantri::SceneObject* right = nullptr;
    vantri::SceneObject* left = nullptr;
    int32_t frame = 0;
};

TEST_F(WorldBehaviour, ANewBehaviourAddsNothing) {
    vantri::SceneObject* fresh = add_behaviour("Fresh");
    vantri::SceneObject* to_right = add_follower("To right", right, 1.0);
    EXPECT_NEAR(steer({fresh}), 0.0, kTolerance);
    EXPECT_NEAR(steer({fresh, to_right, fresh}), heading_of(vec(1, 0, 1)), kTolerance);
}

TEST_F(WorldBehaviour, KeepingDirectionGivesTheDirectionAtTheBehavioursStrength) {
    vantri::SceneObject* keep = add_behaviour("Keep");
    set_int(keep, CROWDBEHAV_KEEP_DIRECTION, 1);
    set_real(keep, CROWDBEHAV_KEEP_DIRECTION_WEIGHT, 3.0);
    set_real(keep, CROWDBEHAV_STRENGTH, 2.0);
    vantri::SceneObject* to_right = add_follower("To right", right, 1.0);
    EXPECT_NEAR(steer({keep, to_right}), heading_of(vec(1, 0, 1 + 2)), kTolerance)
        << "the weight sets no length: the vector is scaled to the strength";

    set_real(keep, CROWDBEHAV_STRENGTH, 0.0);
    EXPECT_NEAR(steer({keep, to_right}), heading_of(vec(1, 0, 1)), kTolerance)
        << "strength 0 gives nothing";

    set_real(to_right, CROWDBEHAV_STRENGTH, 0.5);
    EXPECT_NEAR(steer({to_right}), heading_of(vec(0.5, 0, 1)), kTolerance);
}

// The world reads a behaviour's parameters once per frame and keeps those of a few
// behaviours; a longer list must still give every behaviour its own parameters, read anew in
// every frame.
TEST_F(WorldBehaviour, ManyBehavioursEachSteerWithTheirOwnParametersOfTheFrame) {
    vantri::SceneObject* to_right = add_follower("To right", right, 1.0);
    std::vector<vantri::SceneObject*> items{to_right};
    for (int i = 0; i < 10; ++i)
        items.push_back(add_behaviour("Fresh " + std::to_string(i)));
    vantri::SceneObject* to_left = add_follower("To left", left, 0.5);
    items.push_back(to_left);
    EXPECT_NEAR(steer(items), heading_of(vec(1 - 0.5, 0, 1)), kTolerance);

    set_real(to_right, CROWDBEHAV_STRENGTH, 0.25);
    set_real(to_left, CROWDBEHAV_STRENGTH, 2.0);
    EXPECT_NEAR(steer(items), heading_of(vec(0.25 - 2.0, 0, 1)), kTolerance)
        << "changed parameters count from the next frame on, kept or not";

    items.insert(items.begin() + 5, to_left);
    EXPECT_NEAR(steer(items), heading_of(vec(0.25 - 4.0, 0, 1)), kTolerance)
        << "a behaviour listed twice counts twice";
}

TEST_F(WorldBehaviour, ASingleEntryBlendUsesOnlyAnIndexInRange) {
    vantri::SceneObject* blend = add_blend("Single", CROWDBLEND_MODE_SINGLE);
    set_list(blend, CROWDBLEND_LIST,
             {add_follower("To right", right, 1.0), add_follower("To left", left, 1.0)});
    set_int(blend, CROWDBLEND_INDEX, 1);
    EXPECT_NEAR(steer({blend}), heading_of(vec(-1, 0, 1)), kTolerance);
    set_int(blend, CROWDBLEND_INDEX, 2);
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance) << "index 2 of two entries";
    set_int(blend, CROWDBLEND_INDEX, -1);
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance);
    set_real(blend, CROWDBLEND_STRENGTH, 3.0);
    set_int(blend, CROWDBLEND_INDEX, 0);
    EXPECT_NEAR(steer({blend}), heading_of(vec(3, 0, 1)), kTolerance)
        << "scaled to the blend's strength";
}

TEST_F(WorldBehaviour, AFirstEntryBlendPassesOverNegligibleVectors) {
    vantri::SceneObject* blend = add_blend("First", CROWDBLEND_MODE_FIRST);
    vantri::SceneObject* faint = add_follower("Faint right", right, 1e-5);
    set_list(blend, CROWDBLEND_LIST, {faint, add_follower("To left", left, 1.0)});
    EXPECT_NEAR(steer({blend}), heading_of(vec(-1, 0, 1)), kTolerance);
    set_real(faint, CROWDBEHAV_STRENGTH, 1e-3);
    EXPECT_NEAR(steer({blend}), heading_of(vec(1, 0, 1)), kTolerance)
        << "a component of 1e-3 is not negligible";
}

TEST_F(WorldBehaviour, AStrongestEntryBlendKeepsTheEarlierOnATie) {
    vantri::SceneObject* blend = add_blend("Strongest", CROWDBLEND_MODE_STRONGEST);
    vantri::SceneObject* to_left = add_follower("To left", left, 1.0);
    set_list(blend, CROWDBLEND_LIST, {add_follower("To right", right, 1.0), to_left});
    EXPECT_NEAR(steer({blend}), heading_of(vec(1, 0, 1)), kTolerance);
    set_real(to_left, CROWDBEHAV_STRENGTH, 2.0);
    EXPECT_NEAR(steer({blend}), heading_of(vec(-1, 0, 1)), kTolerance);

    set_int(blend, CROWDBLEND_MODE, 1005);
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance) << "an unknown mode gives nothing";
    set_list(blend, CROWDBLEND_LIST, {});
    set_int(blend, CROWDBLEND_MODE, CROWDBLEND_MODE_SUM);
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance) << "an empty blend gives nothing";
}

TEST_F(WorldBehaviour, ABlendInsideItselfContributesNothingThere) {
    vantri::SceneObject* blend = add_blend("Loop", CROWDBLEND_MODE_SUM);
    vantri::SceneObject* to_right = add_follower("To right", right, 1.0);
    vantri::SceneObject* to_left = add_follower("To left", left, 1.0);
    // Right, itself, left: if the inner occurrence repeated the entry before it, the sum
    // would lean right.
    set_list(blend, CROWDBLEND_LIST, {to_right, blend, to_left});
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance);
    set_list(blend, CROWDBLEND_LIST, {blend, to_right});
    EXPECT_NEAR(steer({blend}), heading_of(vec(1, 0, 1)), kTolerance);

    // Two blends that list each other: the evaluation ends, each inner repeat giving nothing.
    vantri::SceneObject* other = add_blend("Other", CROWDBLEND_MODE_SUM);
    set_list(blend, CROWDBLEND_LIST, {other, to_right});
    set_list(other, CROWDBLEND_LIST, {blend, to_left, to_left});
    EXPECT_NEAR(steer({blend}), 0.0, kTolerance);
    EXPECT_NEAR(steer({other}), heading_of(vec(-1, 0, 1)), kTolerance);
}

} // namespace
