// Avoidance of the agents of the own crowd group and of other groups: the steering and
// push-out vectors an evaluation leaves in the agent's record, and whole crowds passing each
// other.
#include "tests/support/WorldScene.h"

#include "host/eval/Player.h"

#include <algorithm>

namespace {

using vantri_test::record_at;

using vantri_test::vec;

class WorldAvoidance : public vantri_test::WorldScene {
  protected:
    vantri::SceneObject* add_crowd(const std::string& name, int32_t count) {
        vantri::SceneObject* generator = add_generator(name, count, 1, 1, world);
        set_real(generator, CROWDGEN_SIZE_X, 10.0);
        set_real(generator, CROWDGEN_SIZE_Z, 10.0);
        set_real(generator, CROWDGEN_RANGE, 100.0);
        return generator;
    }

    vantri::SceneObject* add_avoider(bool own, bool others) {
        vantri::SceneObject* behaviour = add_behaviour("Avoid");
        set_int(behaviour, CROWDBEHAV_AVOIDANCE, own ? 1 : 0);
        set_int(behaviour, CROWDBEHAV_AVOID_OTHERS, others ? 1 : 0);
        return behaviour;
    }

    // Puts the agent at `at`, facing +Z, with a known body and reach.
    void stand(VtAgentRecord& a, VtVector at) {
        place(a, at);
        a.size = vec(10, 0, 10);
        a.look_ahead = 100.0;
        a.random_value = 0.25;
    }
};

TEST_F(WorldAvoidance, AnAgentAloneOrBesideAnotherAtOnePlaceIsNotPushed) {
    vantri::SceneObject* alone = add_crowd("Alone", 1);
    vantri::SceneObject* pair = add_crowd("Pair", 2);
    vantri::SceneObject* behaviour = add_avoider(true, false);
    set_list(alone, CROWDGEN_BEHAVIOURS, {behaviour});
    set_list(pair, CROWDGEN_BEHAVIOURS, {behaviour});
    create_crew();
    stand(agent(alone, 0), VtVector{});
    agent(alone, 0).steer_vector = vec(1, 2, 3);
    agent(alone, 0).avoid_steer = vec(1, 0, 0);
    stand(agent(pair, 0), vec(50, 0, 0));
    stand(agent(pair, 1), vec(50, 0, 0));
    simulate(1);

    const VtAgentRecord& single = agent(alone, 0);
    EXPECT_EQ(single.avoid_steer, VtVector{});
    EXPECT_EQ(single.steer_vector, VtVector{});
    EXPECT_EQ(single.nearest_offset, vec(10000, 10000, 10000));

    const VtAgentRecord& first = agent(pair, 0);
    EXPECT_EQ(first.avoid_steer, VtVector{}) << "no steering from a neighbour at distance 0";
    EXPECT_EQ(first.steer_vector, VtVector{}) << "no push-out either";
    EXPECT_EQ(first.nearest_offset, VtVector{});
    EXPECT_TRUE(vantri_test::finite(first));
}

TEST_F(WorldAvoidance, ANeighbourAheadPushesAndSteersTheAgentAside) {
    vantri::SceneObject* crowd = add_crowd("Crowd", 2);
    set_list(crowd, CROWDGEN_BEHAVIOURS, {add_avoider(true, false)});
    create_crew();
    stand(agent(crowd, 0), VtVector{});
    stand(agent(crowd, 1), vec(5, 0, 30));
    simulate(1);

    const VtAgentRecord& a = agent(crowd, 0);
    EXPECT_EQ(a.nearest_offset, vec(5, 0, 30));
    const double dist = vantri::length(vec(5, 0, 30));
    const double k = (2.0 * 10.0 - dist + 0.25) / dist;
    EXPECT_EQ(a.steer_vector, vec(-5, 0, -30) * k);
    EXPECT_LT(a.avoid_steer.x, 0.0) << "away from the neighbour on the right";
    EXPECT_NEAR(vantri::length(a.avoid_steer), 1.0, 1e-12);
    EXPECT_GT(heading_after(a), 0.0) << "the agent turns left";
}

TEST_F(WorldAvoidance, OtherGroupsAddUpFromZeroWhenTheOwnGroupIsNotAvoided) {
    vantri::SceneObject* mine = add_crowd("Mine", 1);
    vantri::SceneObject* theirs = add_crowd("Theirs", 1);
    set_list(mine, CROWDGEN_OTHER_GROUPS, {theirs, mine, add(5140, "Not a crowd")});
    set_list(mine, CROWDGEN_BEHAVIOURS, {add_avoider(false, true)});
    create_crew();
    VtVector first_push{};
    for (int32_t frame = 1; frame <= 3; ++frame) {
        stand(agent(mine, 0), VtVector{});
        stand(agent(theirs, 0), vec(5, 0, 30));
        simulate(frame);
        const VtAgentRecord& a = agent(mine, 0);
        if (frame == 1) first_push = a.steer_vector;
        EXPECT_EQ(a.steer_vector, first_push) << "frame " << frame << ": no build-up";
        EXPECT_EQ(a.nearest_offset, vec(5, 0, 30));
    }
    const double dist = vantri::length(vec(5, 0, 30));
    EXPECT_EQ(first_push, vec(-5, 0, -30) * ((2.0 * 10.0 - dist + 0.25) / dist));
    EXPECT_EQ(agent(theirs, 0).steer_vector, VtVector{}) << "the other crowd names no one";
}

// Two crowds of three walk towards each other, their lanes 10 units apart. Avoiding the other
// crowd keeps them further apart than walking blindly does.
class CrossingCrowds : public WorldAvoidance {
  protected:
    double closest_pass(bool avoid_others) {
        document = std::make_unique<vantri::Document>();
        world = add(vantri_test::kWorldType, "World");
        vantri::SceneObject* north = add_crowd("North", 3);
        vantri::SceneObject* south = add_crowd("South", 3);
        north->set_position(VtVector{0, 0, -300});
        south->set_position(VtVector{10, 0, 300});
        south->set_rotation(VtVector{3.141592653589793, 0, 0});
        for (vantri::SceneObject* crowd : {north, south}) {
            set_vector(crowd, CROWDGEN_SPACING, VtVector{60, 60, 60});
            set_real(crowd, CROWDGEN_SIZE_X, 20.0);
            set_real(crowd, CROWDGEN_SPEED, 40.0);
            set_real(crowd, CROWDGEN_ACCELERATION, 20.0);
            vantri::SceneObject* behaviour = add_avoider(true, avoid_others);
            set_int(behaviour, CROWDBEHAV_KEEP_DIRECTION, 1);
            set_list(crowd, CROWDGEN_BEHAVIOURS, {behaviour});
        }
        set_list(north, CROWDGEN_OTHER_GROUPS, {south});
        set_list(south, CROWDGEN_OTHER_GROUPS, {north});

        double closest = 1e300;
        vantri::play_range(host, *document, 0, 600, vantri::PlayMode::Play, [&](int32_t) {
            VtRecordArray& a = *agents(north);
            VtRecordArray& b = *agents(south);
            for (int32_t i = 0; i < a.count; ++i) {
                EXPECT_TRUE(vantri_test::finite(record_at(a, i)));
                for (int32_t j = 0; j < b.count; ++j) {
                    const VtVector gap =
                        record_at(a, i).global_mg.off - record_at(b, j).global_mg.off;
                    closest = std::min(closest, vantri::length(gap));
                }
            }
        });
        return closest;
    }
};

TEST_F(CrossingCrowds, AvoidingTheOtherCrowdKeepsALargerDistance) {
    const double blind = closest_pass(false);
    const double avoiding = closest_pass(true);
    EXPECT_LT(blind, 12.0) << "the lanes pass 10 units apart";
    EXPECT_GT(avoiding, blind + 5.0);
}

} // namespace
