// The world's frame execution: how much time each frame covers, and which crowd groups and
// agents it updates. A moving agent gains acceleration * step in speed per frame, so its speed
// shows exactly which time steps the world used.
#include "tests/support/WorldScene.h"

#include "host/eval/Player.h"

#include <stdexcept>

namespace {

using vantri_test::step_of;

class WorldFrames : public vantri_test::WorldScene {
  protected:
    void SetUp() override {
        WorldScene::SetUp();
        generator = add_generator("Crowd", 1, 1, 1, world);
        behaviour = add_behaviour("Idle");
        set_list(generator, CROWDGEN_BEHAVIOURS, {behaviour});
    }

    double speed() { return agent(generator, 0).speed; }
    double acceleration() { return agent(generator, 0).acceleration; }

    vantri::SceneObject* generator = nullptr;
    vantri::SceneObject* behaviour = nullptr;
};

TEST_F(WorldFrames, PlayingStepsByTheFramesThatPassed) {
    simulate(0);
    EXPECT_EQ(speed(), 0.0) << "the first frame restarts with a step of 0";
    const double a = acceleration();
    ASSERT_GT(a, 0.0);
    const VtVector start = agent(generator, 0).mg.off;

    simulate(1);
    double expected = a * step_of(1, 25);
    EXPECT_EQ(speed(), expected) << "1/25 divided in single precision";
    EXPECT_NE(step_of(1, 25), 1.0 / 25.0) << "the single-precision step differs from 0.04";
    simulate(2);
    simulate(3);
    expected += a * step_of(1, 25);
    expected += a * step_of(1, 25);
    EXPECT_EQ(speed(), expected);

    simulate(7);
    expected += a * step_of(4, 25);
    EXPECT_EQ(speed(), expected) << "a jump from 3 to 7 is one step of 4/25";
    EXPECT_GT(agent(generator, 0).mg.off.z, start.z) << "the agent walks along +Z";
}

TEST_F(WorldFrames, SteppingBackDoesNothingUntilALaterFrame) {
    for (int32_t frame = 0; frame <= 10; ++frame)
        simulate(frame);
    const VtAgentRecord at_ten = agent(generator, 0);
    for (int32_t frame = 5; frame <= 10; ++frame) {
        simulate(frame);
        EXPECT_EQ(vantri_test::values_of(agent(generator, 0)), vantri_test::values_of(at_ten))
            << "frame " << frame;
    }
    simulate(11);
    EXPECT_EQ(speed(), at_ten.speed + at_ten.acceleration * step_of(1, 25))
        << "frame 11 covers one frame after frame 10";
}

TEST_F(WorldFrames, ScrubbingWhileStoppedOnlyMovesTheLastFrame) {
    create_crew();
    for (int32_t frame = 1; frame <= 20; ++frame)
        evaluate(frame);
    EXPECT_EQ(speed(), 0.0) << "nothing moves while the animation is stopped";
    simulate(21);
    EXPECT_EQ(speed(), acceleration() * step_of(1, 25))
        << "playing on from frame 20 covers one frame, not 21";
}

TEST_F(WorldFrames, RenderSimulatesEveryRenderedFrameLikePlaying) {
    create_crew();
    vantri::play_range(host, *document, 0, 30, vantri::PlayMode::Render);
    const VtAgentRecord rendered = agent(generator, 0);
    EXPECT_GT(rendered.speed, 0.0);

    // The same frames played give the same bytes.
    document = std::make_unique<vantri::Document>();
    world = add(vantri_test::kWorldType, "World");
    generator = add_generator("Crowd", 1, 1, 1, world);
    behaviour = add_behaviour("Idle");
    set_list(generator, CROWDGEN_BEHAVIOURS, {behaviour});
    create_crew();
    vantri::play_range(host, *document, 0, 30, vantri::PlayMode::Play);
    EXPECT_EQ(vantri_test::values_of(agent(generator, 0)), vantri_test::values_of(rendered));

    // After the render ended, the stopped animation updates nothing.
    host.set_animation_running(false);
    evaluate(31);
    EXPECT_EQ(speed(), rendered.speed);
}

TEST_F(WorldFrames, AFirstFrameOfTenStartsWithAStepOfTenFrames) {
    document->set_min_time(VtTime{10.0, 25.0});
    simulate(10);
    EXPECT_EQ(speed(), acceleration() * step_of(10, 25))
        << "a new world's last frame is 0, so frame 10 covers ten frames";
    simulate(11);
    EXPECT_EQ(speed(), acceleration() * step_of(10, 25) + acceleration() * step_of(1, 25));
}

TEST_F(WorldFrames, AnEmptyListNeverMovesWhileUnresolvableEntriesStillMove) {
    vantri::SceneObject* still = add_generator("Still", 1, 1, 1, world);
    vantri::SceneObject* emptied = add_generator("Emptied", 1, 1, 1, world);
    set_list(emptied, CROWDGEN_BEHAVIOURS, {});
    vantri::SceneObject* lost = add_generator("Lost", 1, 1, 1, world);
    vantri::SceneObject* gone = add_behaviour("Gone");
    vantri::SceneObject* plain = add(5140, "Not a behaviour");
    set_list(lost, CROWDGEN_BEHAVIOURS, {gone, plain});
    gone->remove();
    delete gone;

    simulate(0);
    const VtVector still_at = agent(still, 0).mg.off;
    const VtVector emptied_at = agent(emptied, 0).mg.off;
    const VtVector lost_at = agent(lost, 0).mg.off;
    for (int32_t frame = 1; frame <= 25; ++frame)
        simulate(frame);
    EXPECT_EQ(agent(still, 0).speed, 0.0) << "no list at all";
    EXPECT_EQ(agent(still, 0).mg.off, still_at);
    EXPECT_EQ(agent(emptied, 0).speed, 0.0) << "an empty list";
    EXPECT_EQ(agent(emptied, 0).mg.off, emptied_at);
    const VtAgentRecord& moved = agent(lost, 0);
    EXPECT_GT(moved.speed, 0.0) << "a list of objects that resolve to nothing usable";
    EXPECT_GT(moved.mg.off.z, lost_at.z);
    EXPECT_EQ(moved.mg.off.x, lost_at.x) << "straight along its direction";
    EXPECT_EQ(moved.mg.off.y, lost_at.y);
}

TEST_F(WorldFrames, AGeneratorOutsideTheWorldIsNotSimulated) {
    vantri::SceneObject* outside = add_generator("Outside", 1, 1, 1, nullptr);
    set_list(outside, CROWDGEN_BEHAVIOURS, {behaviour});
    vantri::SceneObject* deeper = add(5140, "Group", world);
    vantri::SceneObject* nested = add_generator("Nested", 1, 1, 1, deeper);
    set_list(nested, CROWDGEN_BEHAVIOURS, {behaviour});
    for (int32_t frame = 0; frame <= 10; ++frame)
        simulate(frame);
    EXPECT_GT(speed(), 0.0);
    EXPECT_EQ(agent(outside, 0).speed, 0.0);
    EXPECT_EQ(agent(nested, 0).speed, 0.0) << "only direct children are crowd groups";
}

TEST_F(WorldFrames, TheWorldAnswersWithNoAgentBetweenFrames) {
    vantri_test::WorldAnswer answer{reinterpret_cast<VtAgentRecord*>(1), 7, 7};
    VtPrivateData request{0, &answer};
    for (int32_t frame = 0; frame <= 3; ++frame)
        simulate(frame);
    EXPECT_EQ(send(world, 23, &request), 1);
    EXPECT_EQ(request.answered, 1);
    EXPECT_EQ(answer.agent, nullptr) << "no pointer into a generator's records outlives a frame";
    EXPECT_EQ(answer.agent_index, -1);
    EXPECT_EQ(answer.crowd_index, 0);
}

// A host service that throws while the world executes: the exception stops at the plug-in's
// boundary, the host hears of a failed Execute instead of success, and the range ends at that
// frame, naming the object.
bool g_fps_throws = false;
const VtObjectTable* g_objects = nullptr;

int32_t ThrowingFps(VtAtom* document) {
    if (g_fps_throws) throw std::runtime_error("the frame rate is gone");
    return g_objects->doc_get_fps(document);
}

TEST_F(WorldFrames, AnExecuteThatThrowsIsAFailureThatEndsTheRange) {
    std::vector<int32_t> played;
    const auto after = [&](int32_t frame) { played.push_back(frame); };
    EXPECT_FALSE(vantri::play_range(host, *document, 0, 2, vantri::PlayMode::Play, after));

    g_objects = host.api()->objects;
    VtObjectTable hostile = *g_objects;
    hostile.doc_get_fps = ThrowingFps;
    host.api()->objects = &hostile;
    g_fps_throws = true;
    for (const vantri::PlayMode mode : {vantri::PlayMode::Play, vantri::PlayMode::Render}) {
        played.clear();
        const std::optional<vantri::ExecutionFailure> failure =
            vantri::play_range(host, *document, 3, 6, mode, after);
        ASSERT_TRUE(failure.has_value());
        EXPECT_EQ(failure->frame, 3);
        EXPECT_EQ(failure->object, "World");
        EXPECT_EQ(failure->type, "ocrowdworld");
        EXPECT_TRUE(played.empty()) << "the failed frame is not handed on";
    }
    g_fps_throws = false;
    host.api()->objects = g_objects;
    played.clear();
    EXPECT_FALSE(vantri::play_range(host, *document, 3, 4, vantri::PlayMode::Play, after));
    EXPECT_EQ(played, (std::vector<int32_t>{3, 4}));
}

} // namespace
