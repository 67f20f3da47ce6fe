// The growable array: block rules, construction of new records, failure without change,
// and giving back every block.
#include "plugin/geometry/CrowdRecords.h"
#include "plugin/geometry/GeDynamicArray.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

namespace {

using vantri::allocator;

// A record that shows whether it was zero-filled and constructed: `tag` starts 0, `unit`
// starts at the identity.
struct Probe {
    int64_t tag = 0;
    LMatrix unit;
};

using ProbeArray = GeDynamicArray<Probe>;

void ExpectSame(const ProbeArray& a, const std::vector<int64_t>& want) {
    ASSERT_EQ(a.GetCount(), static_cast<int32_t>(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        ASSERT_EQ(a[static_cast<int32_t>(i)].tag, want[i]) << "at " << i;
        ASSERT_EQ(a[static_cast<int32_t>(i)].unit, LMatrix());
    }
    ASSERT_EQ(a.GetCapacity() % 4, 0);
    ASSERT_GE(a.GetCapacity(), a.GetFrontRoom() + a.GetCount());
    if (want.empty()) {
        ASSERT_EQ(a.GetCapacity(), 0);
        ASSERT_EQ(a.GetArray(), nullptr);
    }
}

TEST(DynamicArray, RandomEditsKeepOrderAndContents) {
    vantri_test::AllocatorBinding binding;
    const int64_t live_before = allocator().live();
    std::mt19937 rng(7);
    int64_t next_tag = 1;
    for (int round = 0; round < 20; ++round) {
        ProbeArray a;
        std::vector<int64_t> want;
        for (int step = 0; step < 400; ++step) {
            const int32_t count = a.GetCount();
            const int op = static_cast<int>(rng() % 10);
            if (op < 6 || count == 0) {
                // Front, middle or back insert of 1..5 records.
                const int32_t n = static_cast<int32_t>(rng() % 5 + 1);
                const int32_t at = static_cast<int32_t>(rng() % (count + 1));
                Probe* first = a.Insert(at, n);
                ASSERT_NE(first, nullptr);
                for (int32_t i = 0; i < n; ++i) {
                    ASSERT_EQ(first[i].tag, 0);
                    first[i].tag = next_tag;
                    want.insert(want.begin() + at + i, next_tag++);
                }
            } else {
                const int32_t at = static_cast<int32_t>(rng() % count);
                const int32_t n = static_cast<int32_t>(rng() % (count - at) % 6 + 1);
                ASSERT_TRUE(a.Remove(at, n));
                want.erase(want.begin() + at, want.begin() + at + n);
            }
            ExpectSame(a, want);
        }
        while (a.GetCount() > 0)
            ASSERT_TRUE(a.Remove(a.GetCount() / 2, 1));
        ExpectSame(a, {});
        EXPECT_EQ(allocator().live(), live_before);
    }
}

TEST(DynamicArray, GrowsAndShrinksByWholeBlocksAtTheSideThatMoves) {
    vantri_test::AllocatorBinding binding;
    ProbeArray a;
    ASSERT_NE(a.Insert(0, 5), nullptr);
    EXPECT_EQ(a.GetCapacity(), 8);
    EXPECT_EQ(a.GetFrontRoom(), 0);

    // Index 1 of 5 is in the front half: the front grows by one block, leaving 3 free there.
    ASSERT_NE(a.Insert(1, 1), nullptr);
    EXPECT_EQ(a.GetCapacity(), 12);
    EXPECT_EQ(a.GetFrontRoom(), 3);
    // Another front insert uses the free room without allocating.
    const uint64_t requests = allocator().requests();
    ASSERT_NE(a.Insert(0, 3), nullptr);
    EXPECT_EQ(allocator().requests(), requests);
    EXPECT_EQ(a.GetFrontRoom(), 0);
    EXPECT_EQ(a.GetCount(), 9);

    // Removing the first four moves the front side: one whole free block goes back.
    ASSERT_TRUE(a.Remove(0, 4));
    EXPECT_EQ(a.GetFrontRoom(), 0);
    EXPECT_EQ(a.GetCapacity(), 8);
    // Removing near the back moves the back side: the block shrinks to hold the rest.
    ASSERT_TRUE(a.Remove(2, 3));
    EXPECT_EQ(a.GetCount(), 2);
    EXPECT_EQ(a.GetCapacity(), 4);

    // An index past the end first extends the array to it with new records.
    Probe* p = a.Insert(6, 1);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p, &a[6]);
    EXPECT_EQ(a.GetCount(), 7);
    for (int32_t i = 2; i < 7; ++i) {
        EXPECT_EQ(a[i].tag, 0);
        EXPECT_EQ(a[i].unit, LMatrix());
    }

    // Invalid ranges are refused without change.
    EXPECT_FALSE(a.Remove(5, 3));
    EXPECT_EQ(a.GetCount(), 7);
}

TEST(DynamicArray, EmptyingFreesStorageAndTheNextInsertAllocatesAgain) {
    vantri_test::AllocatorBinding binding;
    const int64_t live_before = allocator().live();
    {
        ProbeArray a;
        ASSERT_NE(a.Insert(0, 10), nullptr);
        ASSERT_TRUE(a.Remove(0, 10));
        EXPECT_EQ(allocator().live(), live_before);
        const uint64_t requests = allocator().requests();
        ASSERT_NE(a.Push(), nullptr);
        EXPECT_EQ(allocator().requests(), requests + 1);
        ASSERT_TRUE(a.Resize(0));
        EXPECT_EQ(allocator().live(), live_before);
        ASSERT_TRUE(a.Resize(3));
    }
    // The destructor gives back what is left.
    EXPECT_EQ(allocator().live(), live_before);
}

TEST(DynamicArray, FailedAllocationLeavesTheArrayAsItWas) {
    vantri_test::AllocatorBinding binding;
    ProbeArray a, other;
    ASSERT_NE(a.Insert(0, 4), nullptr);
    for (int32_t i = 0; i < 4; ++i)
        a[i].tag = i + 1;
    ASSERT_NE(other.Insert(0, 6), nullptr);
    const Probe* storage = a.GetArray();
    const int32_t capacity = a.GetCapacity();
    const int64_t live = allocator().live();
    auto unchanged = [&] {
        EXPECT_EQ(a.GetArray(), storage);
        EXPECT_EQ(a.GetCapacity(), capacity);
        ExpectSame(a, {1, 2, 3, 4});
        EXPECT_EQ(allocator().live(), live);
    };

    allocator().fail_nth(1);
    EXPECT_EQ(a.Insert(4, 1), nullptr); // back, full
    unchanged();
    allocator().fail_nth(1);
    EXPECT_EQ(a.Insert(0, 1), nullptr); // front, no room
    unchanged();
    allocator().fail_nth(1);
    EXPECT_EQ(a.Push(), nullptr);
    unchanged();
    allocator().fail_nth(1);
    EXPECT_FALSE(a.Push(a[0]));
    unchanged();
    allocator().fail_nth(1);
    EXPECT_FALSE(a.Resize(9));
    unchanged();
    allocator().fail_nth(1);
    EXPECT_FALSE(a.CopyFrom(other));
    unchanged();
    allocator().fail_nth(1);
    EXPECT_FALSE(a.Append(other.GetArray(), other.GetCount()));
    unchanged();
    allocator().fail_nth(0);

    // Shrinking is best effort: the removal happens, the larger block stays.
    ASSERT_NE(a.Insert(4, 5), nullptr);
    for (int32_t i = 4; i < 9; ++i)
        a[i].tag = i + 1;
    const int32_t big = a.GetCapacity();
    allocator().fail_nth(1);
    ASSERT_TRUE(a.Remove(3, 6));
    allocator().fail_nth(0);
    EXPECT_EQ(a.GetCapacity(), big);
    ExpectSame(a, {1, 2, 3});
}

// Making room ahead: the records stay, the appends that follow take no memory, and a refused
// or impossible reservation leaves the array as it was.
TEST(DynamicArray, ReservesRoomForTheRecordsToCome) {
    vantri_test::AllocatorBinding binding;
    ProbeArray a;
    ASSERT_NE(a.Insert(0, 3), nullptr);
    for (int32_t i = 0; i < 3; ++i)
        a[i].tag = i + 1;
    ASSERT_TRUE(a.Reserve(1001));
    EXPECT_EQ(a.GetCapacity(), 1004) << "whole blocks";
    ExpectSame(a, {1, 2, 3});
    const Probe* storage = a.GetArray();
    const uint64_t requests = allocator().requests();
    for (int32_t i = 3; i < 1001; ++i)
        a.Push()->tag = i + 1;
    EXPECT_EQ(allocator().requests(), requests) << "no allocation while the room lasts";
    EXPECT_EQ(a.GetArray(), storage);
    EXPECT_EQ(a[1000].tag, 1001);
    EXPECT_EQ(a[500].unit, LMatrix()) << "appended records are constructed";

    EXPECT_TRUE(a.Reserve(10)) << "less than the array holds changes nothing";
    EXPECT_EQ(a.GetCapacity(), 1004);
    const int64_t live = allocator().live();
    allocator().fail_nth(1);
    EXPECT_FALSE(a.Reserve(5000));
    allocator().fail_nth(0);
    EXPECT_FALSE(a.Reserve(-1));
    EXPECT_FALSE(a.Reserve(INT32_MAX));
    EXPECT_EQ(a.GetCapacity(), 1004);
    EXPECT_EQ(a.GetCount(), 1001);
    EXPECT_EQ(allocator().live(), live);
}

TEST(DynamicArray, CopiesAppendsAndResizes) {
    vantri_test::AllocatorBinding binding;
    const int64_t live_before = allocator().live();
    {
        ProbeArray a, b;
        for (int64_t i = 1; i <= 6; ++i) {
            Probe p;
            p.tag = i;
            ASSERT_TRUE(a.Push(p));
        }
        // Pushing a record of the array itself survives the move to a larger block.
        ASSERT_EQ(a.GetCapacity(), 8);
        ASSERT_TRUE(a.Push(a[0]));
        ASSERT_TRUE(a.Push(a[0]));
        ASSERT_TRUE(a.Push(a[5]));
        ExpectSame(a, {1, 2, 3, 4, 5, 6, 1, 1, 6});

        ASSERT_TRUE(b.Append(a.GetArray(), 3));
        ASSERT_TRUE(b.Append(a.GetArray(), 2));
        ExpectSame(b, {1, 2, 3, 1, 2});
        EXPECT_FALSE(b.Append(b.GetArray(), 1));
        ASSERT_TRUE(b.CopyFrom(a));
        ExpectSame(b, {1, 2, 3, 4, 5, 6, 1, 1, 6});

        // Without construction the kept records stay and the new ones are zero bytes.
        ASSERT_TRUE(b.Resize(11, false));
        EXPECT_EQ(b.GetCapacity(), 12);
        EXPECT_EQ(b[8].tag, 6);
        EXPECT_EQ(b[10].tag, 0);
        EXPECT_EQ(b[10].unit.v1.x, 0.0);
        // With construction every record starts afresh.
        ASSERT_TRUE(b.Resize(2, true));
        EXPECT_EQ(b.GetCapacity(), 4);
        ExpectSame(b, {0, 0});
    }
    EXPECT_EQ(allocator().live(), live_before);
}

TEST(DynamicArray, RecordsStartAsTheirTypesSay) {
    vantri_test::AllocatorBinding binding;
    const int64_t live_before = allocator().live();
    {
        AgentArray agents;
        Agent_ID_Data* agent = agents.Insert(0, 2);
        ASSERT_NE(agent, nullptr);
        EXPECT_EQ(agent->mg, LMatrix());
        EXPECT_EQ(agent->global_mg, LMatrix());
        EXPECT_EQ(agent->parent_mg, LMatrix());
        EXPECT_EQ(agent->spline_mg, LMatrix());
        EXPECT_EQ(agent->direction, LVector());
        EXPECT_EQ(agent->nearest_offset, LVector());
        EXPECT_EQ(agent->object, nullptr);
        EXPECT_EQ(agent->crowd, nullptr);

        GeDynamicArray<Crowd_Data> crowds;
        Crowd_Data* crowd = crowds.Push();
        ASSERT_NE(crowd, nullptr);
        EXPECT_EQ(crowd->index, 0);
        EXPECT_EQ(crowd->agents, nullptr);
        EXPECT_EQ(crowd->generator, nullptr);

        // A spline-cache entry owns its sample list; removing the entry frees it.
        const int64_t live_without_cache = allocator().live();
        GeDynamicArray<SplineList_Data> cache;
        ASSERT_NE(cache.Insert(0, 3), nullptr);
        for (SplineList_Data& entry : cache) {
            EXPECT_EQ(entry.spline, nullptr);
            EXPECT_EQ(entry.points.GetCount(), 0);
            SplineNfo* sample = entry.points.Insert(0, 5);
            ASSERT_NE(sample, nullptr);
            EXPECT_EQ(sample->mg, LMatrix());
        }
        ASSERT_TRUE(cache.Remove(1));
        EXPECT_EQ(cache[1].points.GetCount(), 5);
        ASSERT_TRUE(cache.Remove(0));
        EXPECT_EQ(allocator().live(), live_without_cache + 2);
        cache[0].points.FreeArray();
        cache.FreeArray();
    }
    EXPECT_EQ(allocator().live(), live_before);
}

} // namespace
