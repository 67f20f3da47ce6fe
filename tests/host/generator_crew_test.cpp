// Crew creation as the host sees it: the "Agents" output, the instances and their sources,
// the grid positions, and the seeded jitter and speeds in the agent records.
#include "tests/support/GeneratorScene.h"

#include "host/scene/Transform.h"

#include <climits>

namespace {

using vantri_test::vec;

using vantri_test::ExpectedRandom;
using vantri_test::GeneratorTest;
using vantri_test::same;

TEST_F(GeneratorTest, DefaultGeneratorMakesOneAgentAtTheOriginWithAFullRecord) {
    vantri::SceneObject* parent = add(vantri::kNullType, "Parent");
    parent->set_position(VtVector{1, 2, 3});
    parent->set_rotation(VtVector{0.5, 0.25, 0.0});
    vantri::SceneObject* generator = add_generator({"A"}, parent);
    generator->set_position(VtVector{5, 0, -2});
    set_real(generator, CROWDGEN_SIZE_X, 1.5);
    set_real(generator, CROWDGEN_SIZE_Y, 2.5);
    set_real(generator, CROWDGEN_SIZE_Z, 3.5);
    evaluate(0);

    vantri::SceneObject* output = generator->cache();
    ASSERT_NE(output, nullptr);
    EXPECT_EQ(output->type(), vantri::kNullType);
    EXPECT_EQ(output->name(), "Agents");
    const auto instances = children_of(output);
    ASSERT_EQ(instances.size(), 1u);
    EXPECT_EQ(instances[0]->type(), vantri::kInstanceType);
    EXPECT_EQ(linked_source(instances[0]), document->find("A"));
    EXPECT_TRUE(vantri::same_matrix(instances[0]->local_matrix(), vantri::identity_matrix()));

    // Every field of the record: the ones the crew sets, the rest zero or identity.
    ExpectedRandom random{19691002};
    VtAgentRecord expected = vantri_test::blank_record();
    expected.max_speed = 5.0 + 0.0 * random.get11() * 0.5 * 5.0;
    expected.random_value = random.get01();
    expected.acceleration = 0.10000000149011612;
    expected.look_ahead = 100.0;
    expected.size = vec(1.5, 2.5, 3.5);
    expected.global_mg = generator->global_matrix();
    expected.parent_mg = vantri::multiply(parent->global_matrix(), generator->local_matrix());
    expected.object = instances[0]->handle();
    const auto records = records_of(generator);
    ASSERT_EQ(records.size(), 1u);
    EXPECT_TRUE(vantri_test::same_record(records[0], expected, true));
}

TEST_F(GeneratorTest, GridRunsFastestAlongItsThirdAxisAndInstancesPairWithRecords) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 1, 3);
    set_vector(generator, CROWDGEN_SPACING, VtVector{10, 20, 30});
    evaluate(0);

    const VtVector expected[] = {{0, 0, 0},  {0, 0, 30},  {0, 0, 60},
                                 {10, 0, 0}, {10, 0, 30}, {10, 0, 60}};
    const auto records = records_of(generator);
    const auto instances = children_of(generator->cache());
    ASSERT_EQ(records.size(), 6u);
    ASSERT_EQ(instances.size(), 6u);
    for (size_t i = 0; i < records.size(); ++i) {
        EXPECT_EQ(records[i].mg.off, expected[i]) << "agent " << i;
        EXPECT_EQ(records[i].object, instances[i]->handle());
        EXPECT_TRUE(same(instances[i]->local_matrix(), records[i].mg)) << "agent " << i;
    }

    // Positions accumulate the spacing along every axis.
    set_counts(generator, 1, 3, 1);
    set_vector(generator, CROWDGEN_SPACING, VtVector{0.1, 0.1, 0.1});
    touch_child(generator);
    evaluate(0);
    const auto column = records_of(generator);
    ASSERT_EQ(column.size(), 3u);
    EXPECT_EQ(column[2].mg.off.y, 0.1 + 0.1) << "repeated addition, not 2 * 0.1";
    EXPECT_EQ(column[2].mg.off.x, 0.0);
}

TEST_F(GeneratorTest, SourcesRunAlongTheGridAtCreationAndAlongTheArrayAfterAnUpdate) {
    vantri::SceneObject* generator = add_generator({"A", "B"});
    set_counts(generator, 2, 1, 2);
    vantri::Atom* a = document->find("A");
    vantri::Atom* b = document->find("B");
    play(0, 3);
    const std::vector<vantri::Atom*> at_creation = {a, a, b, b};
    auto instances = children_of(generator->cache());
    ASSERT_EQ(instances.size(), 4u);
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(linked_source(instances[i]), at_creation[i]) << "agent " << i;

    // A change of a child after the start frame rebuilds the instances only.
    document->find("B")->set_name("B2");
    play(4, 4);
    const std::vector<vantri::Atom*> after_update = {a, b, a, b};
    instances = children_of(generator->cache());
    const auto records = records_of(generator);
    ASSERT_EQ(instances.size(), 4u);
    ASSERT_EQ(records.size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(linked_source(instances[i]), after_update[i]) << "agent " << i;
        EXPECT_EQ(records[i].object, instances[i]->handle());
    }
}

TEST_F(GeneratorTest, TheSeedAloneDecidesTheCrewAndItsSignDoesNotMatter) {
    const auto make = [&](const std::string& name, int32_t seed) {
        vantri::SceneObject* generator = add_generator({"S" + name}, nullptr, name);
        set_counts(generator, 2, 2, 2);
        set_vector(generator, CROWDGEN_SPACING, VtVector{10, 20, 30});
        set_real(generator, CROWDGEN_JITTER, 0.3);
        set_real(generator, CROWDGEN_SPEED_VARIATION, 0.4);
        set_int(generator, CROWDGEN_SEED, seed);
        return generator;
    };
    vantri::SceneObject* first = make("First", 1234);
    vantri::SceneObject* second = make("Second", 1234);
    vantri::SceneObject* negative = make("Negative", -1234);
    vantri::SceneObject* other = make("Other", 1235);
    vantri::SceneObject* lowest = make("Lowest", INT32_MIN);
    evaluate(0);

    const auto expected = records_of(first);
    ASSERT_EQ(expected.size(), 8u);
    for (vantri::SceneObject* generator : {second, negative}) {
        const auto records = records_of(generator);
        ASSERT_EQ(records.size(), expected.size());
        for (size_t i = 0; i < records.size(); ++i) {
            EXPECT_EQ(records[i].mg, expected[i].mg) << generator->name() << " " << i;
            EXPECT_EQ(records[i].max_speed, expected[i].max_speed) << generator->name();
            EXPECT_EQ(records[i].random_value, expected[i].random_value) << generator->name();
        }
    }
    EXPECT_NE(records_of(other)[0].random_value, expected[0].random_value);

    // The draws per agent: three jitter draws, the speed, the random value.
    for (auto [generator, seed] : {std::pair{first, 1234u}, std::pair{lowest, 2147483648u}}) {
        ExpectedRandom random{seed};
        const double r1 = random.get11(), r2 = random.get11(), r3 = random.get11();
        const double speed = random.get11();
        const double value = random.get01();
        const VtAgentRecord agent = records_of(generator)[0];
        EXPECT_EQ(agent.mg.off, vec(10 * r1, 20 * r2, 30 * r3) * 0.3) << generator->name();
        EXPECT_EQ(agent.max_speed, 5.0 + 0.4 * speed * 0.5 * 5.0) << generator->name();
        EXPECT_EQ(agent.random_value, value) << generator->name();
    }
}

TEST_F(GeneratorTest, WithoutJitterTheSpeedTakesTheFirstDraw) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 1, 1, 2);
    set_real(generator, CROWDGEN_SPEED_VARIATION, 1.0);
    set_int(generator, CROWDGEN_SEED, 77);
    evaluate(0);
    const auto records = records_of(generator);
    ASSERT_EQ(records.size(), 2u);
    ExpectedRandom random{77};
    for (size_t i = 0; i < 2; ++i) {
        const double speed = random.get11();
        EXPECT_EQ(records[i].max_speed, 5.0 + 1.0 * speed * 0.5 * 5.0) << "agent " << i;
        EXPECT_EQ(records[i].random_value, random.get01()) << "agent " << i;
        EXPECT_EQ(records[i].mg.off, vec(0, 0, 100.0 * static_cast<double>(i)));
    }
}

TEST_F(GeneratorTest, WithoutSpeedVariationEveryAgentGetsTheSpeedExactly) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 3, 2, 2);
    set_real(generator, CROWDGEN_JITTER, 0.7);
    set_real(generator, CROWDGEN_SPEED, 7.25);
    evaluate(0);
    const auto records = records_of(generator);
    ASSERT_EQ(records.size(), 12u);
    for (const VtAgentRecord& agent : records)
        EXPECT_EQ(agent.max_speed, 7.25);
}

TEST_F(GeneratorTest, CountsOfZeroOrLessMakeAnEmptyOutput) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 0, 2);
    evaluate(0);
    ASSERT_NE(generator->cache(), nullptr);
    EXPECT_EQ(generator->cache()->name(), "Agents");
    EXPECT_TRUE(children_of(generator->cache()).empty());
    EXPECT_TRUE(records_of(generator).empty());

    // A change of the children at the start frame makes a fresh crew.
    set_counts(generator, 1, 1, 1);
    touch_child(generator);
    evaluate(0);
    EXPECT_EQ(records_of(generator).size(), 1u);
    set_counts(generator, -3, 1, 1);
    touch_child(generator);
    evaluate(0);
    EXPECT_TRUE(records_of(generator).empty()) << "a fresh crew empties the array";
    EXPECT_TRUE(children_of(generator->cache()).empty());
}

// A crew, and a copy of its generator, take their records in one array made to measure: at no
// moment do two arrays of records live side by side, as they would while an array grows
// block by block and is copied at every step.
TEST_F(GeneratorTest, ACrewAndItsCopyHoldOneArrayOfRecordsAtATime) {
    vantri::SceneObject* generator = add_generator({"A", "B"});
    set_counts(generator, 40, 1, 50);
    const int64_t array_bytes = 2000 * static_cast<int64_t>(sizeof(VtAgentRecord));
    vantri::allocator().reset_peak();
    const int64_t before = vantri::allocator().live_bytes();
    evaluate(0);
    ASSERT_EQ(records_of(generator).size(), 2000u);
    const int64_t made = vantri::allocator().live_bytes();
    EXPECT_GE(made - before, array_bytes);
    EXPECT_LT(vantri::allocator().peak_bytes() - made, array_bytes / 4);

    vantri::allocator().reset_peak();
    vantri::SceneObject* copy = vantri::clone_object(host.types(), *generator, nullptr);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(records_of(copy).size(), 2000u);
    const int64_t copied = vantri::allocator().live_bytes();
    EXPECT_LT(vantri::allocator().peak_bytes() - copied, array_bytes / 4);
    delete copy;
}

} // namespace
