// The host's mirrors of the plug-in's records, which agents.csv reads through: they must
// lay out every field where the plug-in's own structs do, and see the records of a real
// array.
#include "CrowdRecords.h"
#include "results/AgentRecords.h"
#include "test_allocator_binding.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

using vantri::AgentRecordMirror;
using vantri::CrowdEntryMirror;
using vantri::RecordArrayMirror;

TEST(SceneRecordMirror, FieldsStandWhereThePluginPutsThem) {
    EXPECT_EQ(sizeof(AgentRecordMirror), sizeof(Agent_ID_Data));
#define SAME_OFFSET(field)                                                                         \
    EXPECT_EQ(offsetof(AgentRecordMirror, field), offsetof(Agent_ID_Data, field)) << #field
    SAME_OFFSET(speed);
    SAME_OFFSET(waiting);
    SAME_OFFSET(rotation);
    SAME_OFFSET(global_mg);
    SAME_OFFSET(mg);
    SAME_OFFSET(object);
    SAME_OFFSET(max_speed);
    SAME_OFFSET(crowd_index);
    SAME_OFFSET(crowd);
    SAME_OFFSET(nearest_offset);
    SAME_OFFSET(spline_mg);
#undef SAME_OFFSET
    EXPECT_EQ(sizeof(CrowdEntryMirror), sizeof(Crowd_Data));
    EXPECT_EQ(offsetof(CrowdEntryMirror, agents), offsetof(Crowd_Data, agents));
    EXPECT_EQ(offsetof(CrowdEntryMirror, settings), offsetof(Crowd_Data, settings));
    EXPECT_EQ(sizeof(RecordArrayMirror), sizeof(AgentArray));
}

TEST(SceneRecordMirror, AnArrayReadsAsItsRecordsInOrder) {
    vantri_test::AllocatorBinding binding;
    AgentArray agents;
    // Inserts at the front leave free room there, so the array's front offset is non-zero.
    for (int i = 0; i < 7; ++i) {
        Agent_ID_Data* record = agents.Insert(0);
        ASSERT_NE(record, nullptr);
        record->speed = i;
        record->mg.off = LVector(i, 2.0 * i, 3.0 * i);
    }
    RecordArrayMirror mirror;
    std::memcpy(&mirror, static_cast<const void*>(&agents), sizeof mirror);
    ASSERT_EQ(mirror.count, 7);
    EXPECT_GT(mirror.front, 0) << "the test means to read past free room at the front";
    const auto* records = static_cast<const AgentRecordMirror*>(mirror.block) + mirror.front;
    EXPECT_EQ(static_cast<const void*>(records), static_cast<const void*>(agents.GetArray()));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(records[i].speed, 6 - i);
        EXPECT_EQ(records[i].mg.off.z, 3.0 * (6 - i));
    }
}

} // namespace
