// The near lists made ahead against looking at every agent, over random crews updated in
// array order: at each agent's turn its list holds, ascending, every agent that the near
// list's own test keeps around where it stands, the earlier ones moved and the later ones
// not; once an agent moves further than the lists allow, no list is handed out any more; and
// the global lists hold every agent within reach of the places at the start.
#include "plugin/object/NearAhead.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <set>
#include <vector>

namespace {

// The near list's own test (CrowdNeighbours::KeepNear): kept unless surely beyond the reach;
// a distance that is not a number is kept.
bool Kept(const LVector& centre, const LVector& other, double reach) {
    const double squared = (centre - other).GetSquaredLength();
    return !(squared > reach * reach * (1.0 + 1e-12));
}

TEST(NearAhead, EveryListHoldsWhatTheNearListKeepsAtTheAgentsTurn) {
    vantri_test::AllocatorBinding binding;
    std::mt19937 random(23);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    int64_t served = 0, dropped = 0;
    for (int round = 0; round < 60; ++round) {
        const int32_t n = 2 + static_cast<int32_t>(unit(random) * 400);
        const double spacing = 5.0 + unit(random) * 40.0;
        const double reach = spacing * (0.5 + unit(random) * 2.0);
        const double move = spacing * unit(random) * 0.3;
        std::vector<LVector> places(static_cast<size_t>(n));
        const int32_t row = 1 + static_cast<int32_t>(std::sqrt(n));
        for (int32_t k = 0; k < n; ++k) {
            places[static_cast<size_t>(k)] = LVector((k % row + unit(random) * 0.4) * spacing, 0.0,
                                                     (k / row + unit(random) * 0.4) * spacing);
        }
        // A few on one spot, one far away, one without a place (whose move has no bound, so
        // that the lists are dropped after its turn).
        if (n > 12 && round % 5 == 0) {
            places[3] = places[4] = places[5];
            places[6] = LVector(1e9, 0.0, -1e9);
            places[7] = LVector(std::numeric_limits<double>::quiet_NaN(), 0.0, 0.0);
        }
        NearAhead ahead;
        ASSERT_TRUE(ahead.Begin(places.data(), n, reach, 2.0 * move, 1));
        ahead.SetGlobalsSame();
        ASSERT_TRUE(ahead.BuildGrid());
        ahead.Fill(0, n);

        // The global lists: the places at the start, which do not move.
        for (int32_t k = 0; k < n; ++k) {
            int32_t count = 0;
            const int32_t* list = ahead.GlobalList(k, places[static_cast<size_t>(k)], reach, count);
            if (list == nullptr) continue;
            const std::set<int32_t> listed(list, list + count);
            for (int32_t j = 0; j < n; ++j) {
                if (Kept(places[static_cast<size_t>(k)], places[static_cast<size_t>(j)], reach)) {
                    ASSERT_TRUE(listed.count(j)) << "global list of " << k << " misses " << j;
                }
            }
        }

        // The update in array order; now and then an agent moves further than allowed.
        const bool overshoot = round % 4 == 3;
        std::vector<LVector> now = places;
        for (int32_t k = 0; k < n; ++k) {
            ahead.SetCurrent(k);
            const LVector centre = now[static_cast<size_t>(k)];
            const double asked = reach * (0.3 + unit(random) * 0.7);
            int32_t count = 0;
            const int32_t* list = ahead.List(k, centre, asked, count);
            if (list != nullptr) {
                ++served;
                ASSERT_TRUE(ahead.Usable());
                for (int32_t i = 1; i < count; ++i)
                    ASSERT_LT(list[i - 1], list[i]);
                const std::set<int32_t> listed(list, list + count);
                for (int32_t j = 0; j < n; ++j) {
                    if (Kept(centre, now[static_cast<size_t>(j)], asked)) {
                        ASSERT_TRUE(listed.count(j)) << "list of " << k << " misses " << j;
                    }
                }
            } else if (!ahead.Usable()) {
                ++dropped;
            }
            // Move within the allowance, or, once in an overshooting round, past it.
            const double length = overshoot && k == n / 2 ? 3.0 * move + 1.0 : move * unit(random);
            const double angle = unit(random) * 6.283185307179586;
            now[static_cast<size_t>(k)] += LVector(std::cos(angle), 0.0, std::sin(angle)) * length;
            ahead.Moved(k, now[static_cast<size_t>(k)]);
        }
        if (overshoot && n > 2) {
            EXPECT_FALSE(ahead.Usable());
        }
        ahead.End();
    }
    EXPECT_GT(served, 1000);
    EXPECT_GT(dropped, 0);
}

} // namespace
