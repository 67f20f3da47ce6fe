// The cell grid against looking at every point: a query returns, in ascending order and
// without repeats, every point within its reach (strays always), after any number of moves
// near home, far away and to no place at all, and a copy answers as its original; the rings visit
// every placed point once and their clearance holds; and a build that cannot get memory says so and
// leaks nothing.
#include "plugin/geometry/CellGrid.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

namespace {

using vantri::allocator;

bool Finite(const LVector& p) {
    return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

// Whether `p` lies within `reach` of `c` along every axis.
bool InBox(const LVector& p, const LVector& c, double reach) {
    return std::fabs(p.x - c.x) <= reach && std::fabs(p.y - c.y) <= reach &&
           std::fabs(p.z - c.z) <= reach;
}

// Checks one query against every point.
void ExpectSuperset(CellGrid& grid, const std::vector<LVector>& points, const LVector& centre,
                    double reach) {
    int32_t count = 0;
    double covered = 0.0;
    const int32_t* found = grid.Around(centre, reach, count, covered);
    ASSERT_GE(covered, reach);
    std::set<int32_t> seen;
    for (int32_t i = 0; i < count; ++i) {
        ASSERT_TRUE(i == 0 || found[i - 1] < found[i]) << "ascending without repeats at " << i;
        seen.insert(found[i]);
    }
    for (int32_t k = 0; k < static_cast<int32_t>(points.size()); ++k) {
        if (!Finite(points[k])) {
            EXPECT_TRUE(seen.count(k)) << "stray " << k << " is always returned";
        } else if (InBox(points[k], centre, reach)) {
            EXPECT_TRUE(seen.count(k)) << "point " << k << " within reach was missed";
        } else if (!seen.count(k) && std::isfinite(covered)) {
            EXPECT_FALSE(InBox(points[k], centre, covered * (1.0 - 1e-12)))
                << "point " << k << " left out inside the covered box";
        }
    }
}

class CellGridTest : public ::testing::Test {
  protected:
    vantri_test::AllocatorBinding binding;
};

TEST_F(CellGridTest, QueriesFindEveryPointWithinReachAsPointsMove) {
    std::mt19937 random(7);
    std::uniform_real_distribution<double> spread(-500.0, 500.0);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int round = 0; round < 20; ++round) {
        // Mostly a few hundred points; now and then enough that a query's numbers spread
        // too wide for the bit set that sorts them.
        const int32_t n = 1 + static_cast<int32_t>(unit(random) * (round % 5 == 4 ? 20000 : 600));
        std::vector<LVector> points(static_cast<size_t>(n));
        const bool flat = round % 3 == 0;
        for (LVector& p : points)
            p = LVector(spread(random), flat ? 0.0 : spread(random) * 0.1, spread(random));
        // A few on one spot, a few far outside, one without a place.
        if (n > 10) {
            points[3] = points[4] = points[5];
            points[6] = LVector(1e12, 0, -1e12);
            points[7] = LVector(-3e300, 5, 0);
            points[8] = LVector(std::numeric_limits<double>::quiet_NaN(), 0, 0);
        }
        CellGrid grid, copy;
        bool copy_ok = false;
        ASSERT_TRUE(grid.Build(points.data(), n));
        EXPECT_TRUE(grid.AsBuilt());
        for (int step = 0; step < 200; ++step) {
            // Move one point a little, a cell's width or anywhere.
            const int32_t k = static_cast<int32_t>(unit(random) * n);
            const double kind = unit(random);
            const double size = grid.GetCellSize();
            if (kind < 0.6) {
                points[k] += LVector(spread(random), 0, spread(random)) * (0.001 * size / 500.0);
            } else if (kind < 0.9) {
                points[k] += LVector(spread(random), spread(random), spread(random)) * (size / 250);
            } else if (kind < 0.97) {
                points[k] = LVector(spread(random), spread(random), spread(random)) * 1e3;
            } else {
                points[k] = LVector(std::numeric_limits<double>::infinity(), 0, 0);
            }
            grid.Refile(k, points[k]);
            if (copy_ok) copy.Refile(k, points[k]);
            const LVector centre = unit(random) < 0.5
                                       ? points[static_cast<size_t>(unit(random) * n)]
                                       : LVector(spread(random), 0, spread(random));
            if (!Finite(centre)) continue;
            const double reach = unit(random) * 150.0;
            ExpectSuperset(grid, points, centre, reach);
            if (HasFailure()) return;
            // A copy, taken now and then, answers exactly as the grid it was taken from, and
            // goes on doing so as both follow the same moves.
            if (step % 40 == 0) {
                copy_ok = copy.CopyFrom(grid);
                ASSERT_TRUE(copy_ok);
                EXPECT_FALSE(copy.AsBuilt()) << "the grid it copies has moved points";
            }
            // What a query keeps of what it finds (its reach and the last search it shares
            // depend on the queries before it, which the copy has not seen).
            const auto within = [&](CellGrid& g) {
                int32_t count = 0;
                double covered = 0.0;
                const int32_t* found = g.Around(centre, reach, count, covered);
                std::vector<int32_t> kept;
                for (int32_t i = 0; i < count; ++i) {
                    if (!Finite(points[found[i]]) || InBox(points[found[i]], centre, reach))
                        kept.push_back(found[i]);
                }
                return kept;
            };
            ASSERT_EQ(within(copy), within(grid));
        }
    }
}

TEST_F(CellGridTest, RingsVisitEveryPlacedPointOnceAndKeepTheirClearance) {
    std::mt19937 random(11);
    std::uniform_real_distribution<double> spread(-300.0, 300.0);
    std::vector<LVector> points(400);
    for (LVector& p : points)
        p = LVector(spread(random), 0, spread(random));
    points[0] = LVector(5e6, 0, 0);
    CellGrid grid;
    ASSERT_TRUE(grid.Build(points.data(), static_cast<int32_t>(points.size())));
    for (int32_t k = 1; k < 50; ++k) {
        points[k] += LVector(40, 0, -25);
        grid.Refile(k, points[k]);
    }
    const LVector centre(17, 0, -40);
    std::vector<int> visits(points.size(), 0);
    std::vector<int32_t> ring_of(points.size(), -1);
    int32_t ring = 0;
    for (;; ++ring) {
        const bool more = grid.VisitRing(centre, ring, [&](int32_t k) {
            ++visits[static_cast<size_t>(k)];
            ring_of[static_cast<size_t>(k)] = ring;
        });
        // Every point not yet visited lies at least the clearance away.
        const double clearance = grid.RingClearance(centre, ring);
        for (size_t k = 0; k < points.size(); ++k) {
            if (visits[k] == 0) {
                EXPECT_GE((points[k] - centre).GetLength(), clearance) << "point " << k;
            }
        }
        if (!more) break;
    }
    for (size_t k = 0; k < points.size(); ++k)
        EXPECT_EQ(visits[k], 1) << "point " << k;
}

TEST_F(CellGridTest, ABuildShortOfMemoryFailsAndTheNextSucceeds) {
    std::vector<LVector> points;
    for (int i = 0; i < 100; ++i)
        points.push_back(LVector(i * 3.0, 0, (i % 10) * 7.0));
    const int64_t live = allocator().live();
    for (uint64_t n = 1;; ++n) {
        CellGrid grid;
        const uint64_t refusals = allocator().refusals();
        allocator().fail_nth(n);
        const bool built = grid.Build(points.data(), 100);
        allocator().fail_nth(0);
        if (allocator().refusals() == refusals) {
            ASSERT_TRUE(built);
            break;
        }
        EXPECT_FALSE(built) << "refusal " << n;
        EXPECT_TRUE(grid.Build(points.data(), 100)) << "memory again";
        int32_t count = 0;
        double covered = 0.0;
        grid.Around(points[50], 10.0, count, covered);
        EXPECT_GT(count, 0);
    }
    EXPECT_EQ(allocator().live(), live);

    // A second build over no more points takes no more memory.
    CellGrid grid;
    ASSERT_TRUE(grid.Build(points.data(), 100));
    const uint64_t requests = allocator().requests();
    for (LVector& p : points)
        p = p * 0.5;
    ASSERT_TRUE(grid.Build(points.data(), 100));
    EXPECT_EQ(allocator().requests(), requests);

    // A grid that holds its memory asks for none: a build or copy fails where the memory
    // reserved is too little, and succeeds over any points once it is enough, however they
    // spread.
    CellGrid held;
    held.HoldMemory(true);
    EXPECT_FALSE(held.Build(points.data(), 100));
    EXPECT_FALSE(held.CopyFrom(grid));
    EXPECT_EQ(allocator().requests(), requests);
    held.HoldMemory(false);
    ASSERT_TRUE(held.ReserveFor(100));
    held.HoldMemory(true);
    const uint64_t reserved = allocator().requests();
    std::mt19937 random(3);
    std::uniform_real_distribution<double> spread(-1e3, 1e3);
    for (int round = 0; round < 20; ++round) {
        const double flat = round % 2 == 0 ? 0.0 : 1.0;
        for (LVector& p : points)
            p = LVector(spread(random), flat * spread(random), spread(random)) * (round + 1.0);
        EXPECT_TRUE(held.Build(points.data(), 1 + round * 5));
        EXPECT_TRUE(held.CopyFrom(grid));
    }
    EXPECT_EQ(allocator().requests(), reserved);
}

} // namespace
