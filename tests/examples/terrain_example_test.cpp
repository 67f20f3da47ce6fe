// examples/terrain.json: 48 hikers cross a hilly plane linked as the world's terrain. Every
// agent must stand on the ground in every frame, and they must really cross the hills.
#include "tests/support/CommandRun.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

using namespace vantri_example;

// The plane's heights as the scene file writes them: the rows of numbers in the array after
// "heights", one row per grid line from -Z to +Z.
std::vector<std::vector<double>> read_heights(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    const std::string s = text.str();
    std::vector<std::vector<double>> rows;
    size_t i = s.find("\"heights\"");
    if (i == std::string::npos || (i = s.find('[', i)) == std::string::npos) return rows;
    int depth = 0;
    for (; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '[') {
            if (++depth == 2) rows.emplace_back();
        } else if (c == ']') {
            if (--depth == 0) break;
        } else if (depth == 2 && (c == '-' || (c >= '0' && c <= '9'))) {
            char* end = nullptr;
            rows.back().push_back(std::strtod(s.c_str() + i, &end));
            i = static_cast<size_t>(end - s.c_str()) - 1;
        }
    }
    return rows;
}

// The ground under (x, z): the plane is 5000 x 5000 around its origin, 25 x 25 cells, each cell
// two flat triangles split along the diagonal from its -X-Z corner to its +X+Z corner.
double ground(const std::vector<std::vector<double>>& h, double x, double z) {
    const double cell = 5000.0 / 25;
    const double fx = (x + 2500) / cell, fz = (z + 2500) / cell;
    const int c = std::clamp(static_cast<int>(std::floor(fx)), 0, 24);
    const int r = std::clamp(static_cast<int>(std::floor(fz)), 0, 24);
    const double u = fx - c, v = fz - r;
    if (v >= u) return h[r][c] + v * (h[r + 1][c] - h[r][c]) + u * (h[r + 1][c + 1] - h[r + 1][c]);
    return h[r][c] + u * (h[r][c + 1] - h[r][c]) + v * (h[r + 1][c + 1] - h[r][c + 1]);
}

TEST(TerrainExample, EveryHikerStandsOnTheGroundAllTheWayAcrossTheHills) {
    const auto heights = read_heights(std::string(VANTRI_SOURCE_DIR) + "/examples/terrain.json");
    ASSERT_EQ(heights.size(), 26u);
    for (const auto& row : heights)
        ASSERT_EQ(row.size(), 26u);

    const ExampleResult run = run_example("terrain");
    RemoveFolder cleanup{run.folder};
    ASSERT_NO_FATAL_FAILURE(expect_complete_run(run, 450, 48));

    // An agent steps up to 9.2 units a frame (top speed 230 at 25 frames a second) along its own
    // tilt. Stepping over a crease leaves it a little off the new face, and the ray along its
    // up axis, still tilted with the old face, finds the ground a little beside its feet. For a
    // change of gradient dg between faces of gradients g and g', that puts it at most
    // step * |dg| * |g.g'| / (1 + g.g') off the ground: 0.81 over every two faces of this grid
    // that share a corner. Measured: 0.32. The next frame starts from the ground again, so the
    // error does not add up.
    double worst = 0.0, lowest = std::numeric_limits<double>::infinity(), highest = -lowest;
    for (const AgentRow& row : run.rows) {
        ASSERT_LT(std::fabs(row.x), 2500.0) << "frame " << row.frame << " agent " << row.agent;
        ASSERT_LT(std::fabs(row.z), 2500.0) << "frame " << row.frame << " agent " << row.agent;
        const double off = std::fabs(row.y - ground(heights, row.x, row.z));
        worst = std::max(worst, off);
        ASSERT_LT(off, 1.0) << "frame " << row.frame << " agent " << row.agent << " at " << row.x
                            << ", " << row.y << ", " << row.z;
        lowest = std::min(lowest, row.y);
        highest = std::max(highest, row.y);
    }

    // The hikers really climb: between them they cover 300 units of height (measured: -126 to
    // 339), and each gets at least 2000 units further north (measured: 2691 or more).
    EXPECT_GT(highest - lowest, 300.0);
    const auto first = run.frame(0), last = run.frame(450);
    double least = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < last.size(); ++i) {
        EXPECT_GT(last[i].z - first[i].z, 2000.0) << "agent " << i;
        least = std::min(least, last[i].z - first[i].z);
    }
    std::printf("terrain: worst height off the ground %.3f; heights %.0f to %.0f; least progress "
                "%.0f\n",
                worst, lowest, highest, least);
}

} // namespace
