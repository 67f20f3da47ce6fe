// examples/flock.json: twenty agents that flock after a goal moving along an L. They must
// move off together, follow the goal, and keep apart.
#include "tests/support/CommandRun.h"

#include <limits>

namespace {

using namespace vantri_example;

TEST(FlockExample, TheFlockFollowsItsGoalTogetherWithoutCrowding) {
    const ExampleResult run = run_example("flock");
    RemoveFolder cleanup{run.folder};
    ASSERT_EQ(run.exit_code, 0) << run.output;
    ASSERT_EQ(run.last_frame(), 200);
    const auto first = run.frame(0);
    const auto last = run.frame(200);
    ASSERT_EQ(first.size(), 20u);
    ASSERT_EQ(last.size(), 20u);

    for (const AgentRow& row : run.rows) {
        ASSERT_TRUE(std::isfinite(row.x) && std::isfinite(row.y) && std::isfinite(row.z) &&
                    std::isfinite(row.heading) && std::isfinite(row.speed))
            << "frame " << row.frame << " agent " << row.agent;
        ASSERT_LE(row.speed, row.max_speed) << "frame " << row.frame << " agent " << row.agent;
    }

    // The goal ends at (1500, 0, 0) after passing (1500, 0, 1500): the flock's centre must
    // have travelled far towards it, and every agent must be on its way.
    auto centre = [](const std::vector<AgentRow>& rows) {
        double x = 0, z = 0;
        for (const AgentRow& row : rows) {
            x += row.x;
            z += row.z;
        }
        const double n = static_cast<double>(rows.size());
        return std::make_pair(x / n, z / n);
    };
    const auto [x0, z0] = centre(first);
    const auto [x1, z1] = centre(last);
    EXPECT_GT(x1 - x0, 600.0) << "the flock's centre hardly moved towards the goal";
    for (size_t i = 0; i < last.size(); ++i)
        EXPECT_GT(horizontal_distance(first[i], last[i]), 400.0) << "agent " << i << " lagged";

    // Separation keeps the agents apart, and cohesion keeps the flock together.
    double closest = std::numeric_limits<double>::infinity();
    double widest = 0.0;
    for (size_t i = 0; i < last.size(); ++i) {
        for (size_t j = i + 1; j < last.size(); ++j) {
            closest = std::min(closest, horizontal_distance(last[i], last[j]));
            widest = std::max(widest, horizontal_distance(last[i], last[j]));
        }
    }
    EXPECT_GT(closest, 20.0) << "two agents ended on top of each other";
    EXPECT_LT(widest, 1500.0) << "the flock fell apart";
}

} // namespace
