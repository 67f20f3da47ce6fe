// The generator as an object: its defaults, its description, the private-data request and
// copies of a generator with a crew.
#include "tests/support/GeneratorScene.h"

#include "host/scene/ObjectDescription.h"

#include <cstring>

namespace {

using vantri_test::record_at;

using vantri_test::GeneratorTest;

TEST_F(GeneratorTest, NewGeneratorHoldsTheDefaultsInOrder) {
    vantri::SceneObject* generator = add(vantri_test::kGeneratorType, "Generator");
    ASSERT_NE(generator, nullptr);
    const auto& entries = generator->data().entries();
    const int32_t order[] = {1018, 1006, 1010, 1001, 1002, 1003, 1004, 1024,
                             1042, 1022, 1025, 1026, 1027, 1031, 1021};
    ASSERT_EQ(entries.size(), std::size(order)) << "only the parameters with a default are set";
    for (size_t i = 0; i < entries.size(); ++i)
        EXPECT_EQ(entries[i].first, order[i]) << "entry " << i;

    const auto integer = [&](int32_t id) {
        const vantri::Value* v = generator->data().find(id);
        EXPECT_EQ(v->type, VT_DTYPE_LONG) << id;
        return v->integer;
    };
    const auto real = [&](int32_t id) {
        const vantri::Value* v = generator->data().find(id);
        EXPECT_EQ(v->type, VT_DTYPE_REAL) << id;
        return v->real;
    };
    EXPECT_EQ(integer(CROWDGEN_FIXED_PITCH_BANK), 0);
    EXPECT_EQ(integer(CROWDGEN_MODE), 1009);
    EXPECT_EQ(integer(CROWDGEN_FORWARD_AXIS), 1015);
    EXPECT_EQ(integer(CROWDGEN_COUNT_X), 1);
    EXPECT_EQ(integer(CROWDGEN_COUNT_Y), 1);
    EXPECT_EQ(integer(CROWDGEN_COUNT_Z), 1);
    EXPECT_EQ(integer(CROWDGEN_CHOICE_1027), 1028);
    EXPECT_EQ(integer(CROWDGEN_SEED), 19691002);
    const vantri::Value* spacing = generator->data().find(CROWDGEN_SPACING);
    ASSERT_EQ(spacing->type, VT_DTYPE_VECTOR);
    EXPECT_EQ(spacing->vector.x, 100.0);
    EXPECT_EQ(spacing->vector.y, 100.0);
    EXPECT_EQ(spacing->vector.z, 100.0);
    EXPECT_EQ(real(CROWDGEN_SPEED), 5.0);
    EXPECT_EQ(real(CROWDGEN_SPEED_VARIATION), 0.0);
    EXPECT_EQ(real(CROWDGEN_RANGE), 100.0);
    EXPECT_EQ(real(CROWDGEN_VALUE_1031), 100.0);
    // The two widened single-precision constants, to the bit.
    EXPECT_EQ(real(CROWDGEN_ACCELERATION), 0.10000000149011612);
    EXPECT_NE(real(CROWDGEN_ACCELERATION), 0.1);
    EXPECT_EQ(real(CROWDGEN_MAX_TURN), 0.17453292649980456);
    EXPECT_NE(real(CROWDGEN_MAX_TURN), 0.17453292519943295);
}

TEST_F(GeneratorTest, AnswersThePrivateDataRequestBeforeAnyCrewExists) {
    vantri::SceneObject* generator = add_generator({"A"});
    VtCrowdEntry entry{};
    VtRecordArray* agents = agents_of(generator, &entry);
    ASSERT_NE(agents, nullptr) << "the request is answered";
    EXPECT_EQ(agents->count, 0);
    EXPECT_EQ(reinterpret_cast<VtContainer*>(entry.settings), generator->data().handle());
    EXPECT_EQ(entry.generator, nullptr) << "fields other than the two are the world's";

    // The entry may be missing; other messages and empty notifications are answered too.
    VtPrivateData bare{0, nullptr};
    EXPECT_EQ(send(generator, 23, &bare), 1);
    EXPECT_EQ(bare.answered, 1);
    EXPECT_EQ(send(generator, 1001071, nullptr), 1);
    EXPECT_EQ(send(generator, 424242, nullptr), 1);
}

TEST_F(GeneratorTest, LoadsItsOwnDescription) {
    vantri::SceneObject* generator = add(vantri_test::kGeneratorType, "Generator");
    vantri::DescriptionBuild build;
    ASSERT_TRUE(vantri::build_description(host, *generator, build));
    ASSERT_NE(build.resource, nullptr);
    EXPECT_NE(build.find(CROWDGEN_COUNT_X), nullptr);
    EXPECT_NE(build.find(CROWDGEN_MAX_TURN), nullptr);
    EXPECT_FALSE(build.hidden(CROWDGEN_JITTER)) << "nothing is hidden by other values";
}

bool same_bytes(const VtAgentRecord& a, const VtAgentRecord& b) {
    return vantri_test::same_record(a, b, true);
}

TEST_F(GeneratorTest, ACopyHoldsTheSameRecordsInOrder) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 2, 1, 3);
    set_real(generator, CROWDGEN_JITTER, 0.5);
    evaluate(0);
    const VtRecordArray& original = *agents_of(generator);
    ASSERT_EQ(original.count, 6);

    vantri::SceneObject* copy = vantri::clone_object(host.types(), *generator, nullptr);
    ASSERT_NE(copy, nullptr);
    const VtRecordArray& copied = *agents_of(copy);
    EXPECT_NE(&copied, &original) << "the copy has an array of its own";
    ASSERT_EQ(copied.count, original.count);
    for (int32_t i = 0; i < copied.count; ++i)
        EXPECT_EQ(
            std::memcmp(&record_at(copied, i), &record_at(original, i), sizeof(VtAgentRecord)), 0)
            << i;
    delete copy;
}

TEST_F(GeneratorTest, ACopyShortOfMemoryLeavesOutOnlyTheRecordItCouldNotStore) {
    vantri::SceneObject* generator = add_generator({"A"});
    set_counts(generator, 3, 1, 3);
    evaluate(0);
    const std::vector<VtAgentRecord> original = records_of(generator);
    ASSERT_EQ(original.size(), 9u);
    const int64_t live = vantri::allocator().live();

    bool clean_run = false;
    for (uint64_t n = 1; !clean_run && n < 100; ++n) {
        const uint64_t refusals = vantri::allocator().refusals();
        vantri::allocator().fail_nth(n);
        vantri::SceneObject* copy = vantri::clone_object(host.types(), *generator, nullptr);
        vantri::allocator().fail_nth(0);
        clean_run = vantri::allocator().refusals() == refusals;
        if (copy != nullptr) {
            const std::vector<VtAgentRecord> copied = records_of(copy);
            ASSERT_GE(copied.size() + 1, original.size()) << "refusal " << n;
            if (clean_run) {
                ASSERT_EQ(copied.size(), original.size());
            }
            // The records that made it are the original's, in order, with at most one gap.
            size_t skipped = 0;
            for (size_t i = 0; i < copied.size(); ++i) {
                if (!same_bytes(copied[i], original[i + skipped])) ++skipped;
                ASSERT_LE(skipped, 1u) << "refusal " << n;
                EXPECT_TRUE(same_bytes(copied[i], original[i + skipped])) << "refusal " << n;
            }
            delete copy;
        }
        EXPECT_EQ(vantri::allocator().live(), live) << "refusal " << n;
    }
    EXPECT_TRUE(clean_run) << "the copy ran out of refusals to try";
}

} // namespace
