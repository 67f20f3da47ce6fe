// examples/target.json: a crowd of 100 follows a keyframed target that walks a bend and then
// stands still. The crowd must keep up with it while it moves, gather round it once it stops,
// and keep some room between its agents as it does (the blend's second behaviour).
#include "tests/support/CommandRun.h"

#include <algorithm>
#include <limits>

namespace {

using namespace vantri_example;

struct Point {
    double x, z;
};

// The target's track: straight between the keys, still after the last.
Point target_at(int frame) {
    const int frames[] = {0, 120, 240};
    const Point keys[] = {{1000, -300}, {2200, 500}, {1800, 1800}};
    if (frame >= frames[2]) return keys[2];
    const int i = frame < frames[1] ? 0 : 1;
    const double t = double(frame - frames[i]) / (frames[i + 1] - frames[i]);
    return {keys[i].x + t * (keys[i + 1].x - keys[i].x),
            keys[i].z + t * (keys[i + 1].z - keys[i].z)};
}

struct Spread {
    double mean = 0, nearest = std::numeric_limits<double>::infinity(), farthest = 0;
};

Spread distances_to(const std::vector<AgentRow>& rows, Point p) {
    Spread s;
    for (const AgentRow& row : rows) {
        const double d = std::hypot(row.x - p.x, row.z - p.z);
        s.mean += d / static_cast<double>(rows.size());
        s.nearest = std::min(s.nearest, d);
        s.farthest = std::max(s.farthest, d);
    }
    return s;
}

TEST(TargetExample, TheCrowdCatchesUpWithTheTargetAndGathersRoundItWithRoomToSpare) {
    const ExampleResult run = run_example("target");
    RemoveFolder cleanup{run.folder};
    ASSERT_NO_FATAL_FAILURE(expect_complete_run(run, 350, 100));
    const auto frames = run.by_frame();

    // Every agent starts more than 2000 units from where the target comes to rest.
    const Spread start = distances_to(frames.at(0), target_at(350));
    EXPECT_GT(start.nearest, 2000.0);

    // When the target stops at frame 240 the crowd is close behind it (measured: mean 395),
    // not still on its way (mean 2532 at the start).
    const Spread stop = distances_to(frames.at(240), target_at(240));
    EXPECT_LT(stop.mean, 600.0);

    // Another 110 frames later every agent is round the target (measured: mean 150, farthest
    // 377).
    const Spread end = distances_to(frames.at(350), target_at(350));
    EXPECT_LT(end.mean, 250.0);
    EXPECT_LT(end.farthest, 500.0);

    // Personal space: half the agents end with their nearest neighbour more than 15 units away
    // (measured: median 21.4). Drawn by the target alone, the crowd piles up on it: median 6.2.
    std::vector<double> nearest;
    const auto& last = frames.at(350);
    for (size_t i = 0; i < last.size(); ++i) {
        double d = std::numeric_limits<double>::infinity();
        for (size_t j = 0; j < last.size(); ++j)
            if (j != i) d = std::min(d, horizontal_distance(last[i], last[j]));
        nearest.push_back(d);
    }
    std::nth_element(nearest.begin(), nearest.begin() + 50, nearest.end());
    EXPECT_GT(nearest[50], 15.0);

    std::printf("target: mean distance %.0f at the start, %.0f when it stops, %.0f at the end "
                "(farthest %.0f); median nearest neighbour %.1f\n",
                start.mean, stop.mean, end.mean, end.farthest, nearest[50]);
}

} // namespace
