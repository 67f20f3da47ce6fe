// The generator over many frames: when its output is rebuilt and with which builder, and
// how its Execute carries the records (as the world leaves them) over to the instances.
#include "tests/support/GeneratorScene.h"

#include "host/scene/Transform.h"

#include <cmath>

namespace {

using vantri_test::record_at;
using vantri_test::vec;

using vantri_test::GeneratorTest;
using vantri_test::same;

constexpr double kMaxTurn = 0.17453292649980456;

TEST_F(GeneratorTest, WithoutChildrenThereIsNoOutputAndRecordsLetGoOfFreedInstances) {
    vantri::SceneObject* empty = add_generator({}, nullptr, "Empty");
    evaluate(0);
    EXPECT_EQ(empty->cache(), nullptr);
    EXPECT_TRUE(records_of(empty).empty());

    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 1, 1);
    play(0, 3);
    ASSERT_EQ(children_of(generator->cache()).size(), 2u);

    // Taking the only child away drops the output; the host frees the instances.
    delete document->find("A");
    play(4, 6);
    EXPECT_EQ(generator->cache(), nullptr);
    auto records = records_of(generator);
    ASSERT_EQ(records.size(), 2u) << "the simulated records stay";
    for (const VtAgentRecord& agent : records)
        EXPECT_EQ(agent.object, nullptr);

    // A new child later on brings instances back around the same records.
    add(vantri::kCubeType, "B", generator);
    play(7, 7);
    const auto instances = children_of(generator->cache());
    records = records_of(generator);
    ASSERT_EQ(instances.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
        EXPECT_EQ(records[i].object, instances[i]->handle());
        EXPECT_EQ(linked_source(instances[i]), document->find("B"));
    }
}

TEST_F(GeneratorTest, PlayingCreatesTheCrewOnceAndRewindingOnceMoreAlike) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 2, 1);
    set_real(generator, CROWDGEN_JITTER, 0.4);
    set_real(generator, CROWDGEN_SPEED_VARIATION, 0.5);
    play(0, 0);
    vantri::SceneObject* output = generator->cache();
    ASSERT_NE(output, nullptr);
    const auto at_start = records_of(generator);
    ASSERT_EQ(at_start.size(), 4u);

    // Later frames return the previous output; the world moves an agent meanwhile.
    vantri::play_range(host, *document, 1, 20, vantri::PlayMode::Play, [&](int32_t frame) {
        EXPECT_EQ(generator->cache(), output) << "frame " << frame;
        record_at(*agents_of(generator), 0).mg.off.x += 1.0;
    });
    EXPECT_NE(records_of(generator)[0].mg.off, at_start[0].mg.off);

    // Back at the start: one fresh crew with the same random values.
    play(0, 0);
    vantri::SceneObject* rewound = generator->cache();
    EXPECT_NE(rewound, output);
    const auto again = records_of(generator);
    ASSERT_EQ(again.size(), at_start.size());
    for (size_t i = 0; i < again.size(); ++i)
        EXPECT_TRUE(vantri_test::same_record(again[i], at_start[i], false)) << "agent " << i;

    // Standing at the start, or playing on, makes no further crew.
    play(0, 0);
    EXPECT_EQ(generator->cache(), rewound);
    play(1, 3);
    EXPECT_EQ(generator->cache(), rewound);
}

TEST_F(GeneratorTest, AChildChangedLaterRebuildsOnlyTheInstances) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 3, 1, 1);
    vantri::play_range(host, *document, 0, 49, vantri::PlayMode::Play, [&](int32_t) {
        VtRecordArray& agents = *agents_of(generator);
        for (int32_t i = 0; i < agents.count; ++i)
            record_at(agents, i).mg.off.z += 2.0;
    });
    play(49, 49); // the generator applies the last move
    const auto before = records_of(generator);
    vantri::SceneObject* output = generator->cache();

    document->find("A")->touch();
    play(50, 50);
    ASSERT_NE(generator->cache(), output);
    const auto instances = children_of(generator->cache());
    const auto after = records_of(generator);
    ASSERT_EQ(instances.size(), 3u);
    ASSERT_EQ(after.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(vantri_test::same_record(after[i], before[i], false)) << "agent " << i;
        EXPECT_EQ(after[i].mg.off.z, 100.0) << "the agent stays where it was moved";
        EXPECT_TRUE(same(instances[i]->local_matrix(), after[i].mg)) << "agent " << i;
        EXPECT_EQ(after[i].object, instances[i]->handle());
    }
}

TEST_F(GeneratorTest, ExecuteAppliesRecordsOnlyWhilePlayingOrRendering) {
    vantri::SceneObject* generator = add_generator({"A"});
    evaluate(0);
    vantri::SceneObject* instance = children_of(generator->cache()).at(0);
    const auto write_target = [&](double x) {
        VtAgentRecord& agent = record_at(*agents_of(generator), 0);
        agent.mg.off = vec(x, 0, 0);
        agent.rotation = vec(0.1, 0, 0);
    };

    write_target(50);
    const VtAgentRecord written = records_of(generator)[0];
    evaluate(1);
    evaluate(2);
    EXPECT_TRUE(vantri_test::same_record(records_of(generator)[0], written, true))
        << "stopped: nothing changes";
    EXPECT_EQ(instance->position().x, 0.0);
    EXPECT_EQ(instance->rotation().x, 0.0);

    vantri::play_range(host, *document, 3, 3, vantri::PlayMode::Render);
    EXPECT_EQ(instance->position().x, 50.0) << "a render applies the records";
    EXPECT_EQ(instance->rotation().x, 0.1);

    write_target(70);
    evaluate(4);
    EXPECT_EQ(instance->position().x, 50.0) << "the render's end stops it again";
    play(5, 5);
    EXPECT_EQ(instance->position().x, 70.0);
}

TEST_F(GeneratorTest, TurnsByAtMostTheMaximumPerFrameInHeadingAndPitch) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 1, 1);
    play(0, 0);
    const auto instances = children_of(generator->cache());
    ASSERT_EQ(instances.size(), 2u);
    const auto aim = [&](int32_t index, const VtVector& rotation) {
        record_at(*agents_of(generator), index).rotation = rotation;
    };

    // A difference of exactly the maximum is applied in full; a hair more is limited.
    aim(0, vec(kMaxTurn, -kMaxTurn, 2.0));
    aim(1, vec(std::nextafter(kMaxTurn, 1.0), std::nextafter(-kMaxTurn, -1.0), 0.0));
    play(1, 1);
    auto records = records_of(generator);
    EXPECT_EQ(records[0].rotation, vec(kMaxTurn, -kMaxTurn, 2.0)) << "bank is not limited";
    EXPECT_EQ(records[1].rotation, vec(kMaxTurn, -kMaxTurn, 0.0));
    EXPECT_EQ(instances[0]->rotation().x, kMaxTurn);
    EXPECT_EQ(instances[0]->rotation().y, -kMaxTurn);

    // A target further away is approached in steps of exactly the maximum per frame.
    double heading = kMaxTurn, pitch = -kMaxTurn;
    for (int32_t frame = 2; frame <= 4; ++frame) {
        aim(0, vec(heading + 0.5, pitch - 0.5, 0.0));
        play(frame, frame);
        heading = heading + kMaxTurn;
        pitch = pitch - kMaxTurn;
        const VtAgentRecord agent = records_of(generator)[0];
        EXPECT_EQ(agent.rotation.x, heading) << "frame " << frame;
        EXPECT_EQ(agent.rotation.y, pitch) << "frame " << frame;
        EXPECT_EQ(instances[0]->rotation().x, heading) << "the instance takes the heading";
        EXPECT_EQ(instances[0]->rotation().y, pitch);
    }

    // The maximum is read every frame.
    set_real(generator, CROWDGEN_MAX_TURN, 0.25);
    aim(0, vec(-3.0, pitch, 0.0));
    play(5, 5);
    EXPECT_EQ(records_of(generator)[0].rotation.x, heading - 0.25);
}

TEST_F(GeneratorTest, RecordsTakeBackTheInstanceMatrixAndTheChosenForwardAxis) {
    vantri::SceneObject* parent = add(vantri::kNullType, "Parent");
    parent->set_position(VtVector{0, 10, 0});
    vantri::SceneObject* generator = add_generator({"A"}, parent);
    generator->set_rotation(VtVector{0.3, 0, 0});
    set_int(generator, CROWDGEN_FORWARD_AXIS, 1012);
    set_real(generator, CROWDGEN_MAX_TURN, 1.0);
    set_counts(generator, 2, 1, 1);
    play(0, 0);

    // The world leaves a scaled matrix and a new rotation; agent 1 has lost its instance.
    {
        VtRecordArray& agents = *agents_of(generator);
        record_at(agents, 0).mg = VtMatrix{vec(1, 2, 3), vec(2, 0, 0), vec(0, 2, 0), vec(0, 0, 2)};
        record_at(agents, 0).rotation = vec(0.6, 0.2, 0.1);
        record_at(agents, 1).object = nullptr;
        record_at(agents, 1).rotation = vec(1, 1, 1);
    }
    const VtAgentRecord untouched = records_of(generator)[1];
    set_int(generator, CROWDGEN_FORWARD_AXIS, 1013);
    play(1, 1);

    vantri::SceneObject* instance = children_of(generator->cache()).at(0);
    const VtAgentRecord agent = records_of(generator)[0];
    EXPECT_TRUE(same(instance->local_matrix(), agent.mg));
    EXPECT_EQ(agent.mg.off, vec(1, 2, 3));
    EXPECT_DOUBLE_EQ(vantri::length(agent.mg.v1), 2.0) << "the scale of mg stays";
    EXPECT_TRUE(same(vantri::multiply(agent.parent_mg, instance->local_matrix()), agent.global_mg));

    // The forward axis of the last crew creation: -X, normalised.
    const VtVector x = agent.mg.v1;
    const double length = std::sqrt(x.x * x.x + x.y * x.y + x.z * x.z);
    EXPECT_DOUBLE_EQ(agent.direction.x, -x.x / length);
    EXPECT_DOUBLE_EQ(agent.direction.y, -x.y / length);
    EXPECT_DOUBLE_EQ(agent.direction.z, -x.z / length);
    EXPECT_NEAR(vantri::length(agent.direction), 1.0, 1e-15);

    EXPECT_TRUE(vantri_test::same_record(records_of(generator)[1], untouched, true))
        << "a record without object";
}

} // namespace
