// The host reads a generator's agent array through the boundary's record layout (its fields
// are checked against the plug-in's records when the plug-in builds): a real array, with free
// room at its front, reads as its records in order.
#include "plugin/geometry/CrowdRecords.h"
#include "abi/CrowdRecordLayout.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

namespace {

TEST(AgentArrayLayout, AnArrayReadsAsItsRecordsInOrder) {
    vantri_test::AllocatorBinding binding;
    AgentArray agents;
    // Inserts at the front leave free room there, so the array's front offset is non-zero.
    for (int i = 0; i < 7; ++i) {
        Agent_ID_Data* record = agents.Insert(0);
        ASSERT_NE(record, nullptr);
        record->speed = i;
        record->mg.off = LVector(i, 2.0 * i, 3.0 * i);
    }
    VtRecordArray mirror;
    std::memcpy(&mirror, static_cast<const void*>(&agents), sizeof mirror);
    ASSERT_EQ(mirror.count, 7);
    EXPECT_GT(mirror.front, 0) << "the test means to read past free room at the front";
    const VtAgentRecord* records = mirror.block + mirror.front;
    EXPECT_EQ(static_cast<const void*>(records), static_cast<const void*>(agents.GetArray()));
    for (int i = 0; i < 7; ++i) {
        EXPECT_EQ(records[i].speed, 6 - i);
        EXPECT_EQ(records[i].mg.off.z, 3.0 * (6 - i));
    }
}

} // namespace
