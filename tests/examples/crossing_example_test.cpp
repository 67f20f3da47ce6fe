// examples/crossing.json: two crowds of 36 cross at right angles, each avoiding the other. They
// must meet, keep a distance from each other's agents while they weave through, and both get
// across.
#include "tests/support/CommandRun.h"

#include <algorithm>
#include <limits>

namespace {

using namespace vantri_example;

TEST(CrossingExample, TwoCrowdsCrossKeepingApartAndBothGetAcross) {
    const ExampleResult run = run_example("crossing");
    RemoveFolder cleanup{run.folder};
    ASSERT_NO_FATAL_FAILURE(expect_complete_run(run, 700, 72));

    // The closest two agents of different crowds ever come. They do meet (within 100 units),
    // and they never come closer than 30 (measured: 47.7). With neither the avoidance nor the
    // repulsion of the other crowd they walk through each other (2.8); with one of the two
    // alone they come within 12 or less.
    double closest = std::numeric_limits<double>::infinity();
    int when = -1;
    for (const auto& [frame, rows] : run.by_frame()) {
        for (const AgentRow& a : rows) {
            if (a.generator != "eastbound") continue;
            for (const AgentRow& b : rows) {
                if (b.generator != "northbound") continue;
                const double d = std::sqrt((a.x - b.x) * (a.x - b.x) + (a.y - b.y) * (a.y - b.y) +
                                           (a.z - b.z) * (a.z - b.z));
                if (d < closest) {
                    closest = d;
                    when = frame;
                }
            }
        }
    }
    EXPECT_LT(closest, 100.0) << "the crowds never met";
    EXPECT_GT(closest, 30.0) << "two agents of different crowds came this close at frame " << when;

    // Both get across: the eastbound crowd past the northbound one's lane (x from -500 to 500)
    // and the northbound crowd past the eastbound one's (z from -500 to 500). Measured: the last
    // agents are at x = 838 and z = 1973.
    double last_east = std::numeric_limits<double>::infinity(), last_north = last_east;
    size_t east = 0, north = 0;
    for (const AgentRow& row : run.frame(700)) {
        if (row.generator == "eastbound") {
            ++east;
            last_east = std::min(last_east, row.x);
            EXPECT_GT(row.x, 500.0) << "eastbound agent " << row.agent << " did not get across";
        } else {
            ++north;
            last_north = std::min(last_north, row.z);
            EXPECT_GT(row.z, 500.0) << "northbound agent " << row.agent << " did not get across";
        }
    }
    EXPECT_EQ(east, 36u);
    EXPECT_EQ(north, 36u);
    std::printf("crossing: closest %.1f at frame %d; last agents at x = %.0f and z = %.0f\n",
                closest, when, last_east, last_north);
}

} // namespace
