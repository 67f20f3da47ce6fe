// A curve's tube in scene.glb: over many random curves, every ring lies at the radius around
// its point of the curve, with normals pointing out, and every triangle
// faces out.
#include "results/CurveTube.h"

#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace vantri;

TEST(CurveTube, RingsSitAroundTheCurveAndEveryTriangleFacesOut) {
    std::mt19937 random(3);
    std::uniform_real_distribution<double> coordinate(-500, 500);
    for (int round = 0; round < 300; ++round) {
        vantri::ObjectLine line;
        const size_t count = 6 + random() % 12;
        // A curve as splines sample it: points far apart against the radius, turning less
        // than a right angle at each.
        VtVector at{coordinate(random), coordinate(random), coordinate(random)};
        VtVector heading{1, 0, 0};
        line.closed = round % 2 == 1;
        // A closed curve: a bent loop, so that the curve turns gently where it closes too.
        const double r1 = 200 + std::abs(coordinate(random));
        const double r2 = 200 + std::abs(coordinate(random));
        const double lift = coordinate(random) / 5;
        for (size_t i = 0; i < count; ++i) {
            if (line.closed) {
                const double a =
                    2 * 3.141592653589793 * static_cast<double>(i) / static_cast<double>(count);
                line.points.push_back({r1 * std::cos(a), lift * std::sin(2 * a), r2 * std::sin(a)});
                continue;
            }
            line.points.push_back(at);
            const VtVector turn{coordinate(random), coordinate(random), coordinate(random)};
            heading = heading + turn * (0.6 / 500);
            heading = heading * (1.0 / std::sqrt(dot(heading, heading)));
            at = at + heading * (50 + std::abs(coordinate(random)) / 5);
        }
        const double radius = 1 + round % 7;
        const vantri::ObjectShape tube = vantri::tube_shape(line, radius);
        const size_t sides = vantri::kTubeSides;
        ASSERT_EQ(tube.vertices.size(), count * sides);
        ASSERT_EQ(tube.normals.size(), tube.vertices.size());
        ASSERT_EQ(tube.triangles.size(),
                  (line.closed && count > 2 ? count : count - 1) * sides * 6);
        for (size_t v = 0; v < tube.vertices.size(); ++v) {
            const VtVector& centre = line.points[v / sides];
            const VtVector out = tube.vertices[v] - centre;
            ASSERT_NEAR(std::sqrt(dot(out, out)), radius, 1e-9 * radius);
            ASSERT_NEAR(dot(out * (1.0 / radius), tube.normals[v]), 1.0, 1e-9);
        }
        for (size_t t = 0; t < tube.triangles.size(); t += 3) {
            const VtVector& a = tube.vertices[tube.triangles[t]];
            const VtVector& b = tube.vertices[tube.triangles[t + 1]];
            const VtVector& c = tube.vertices[tube.triangles[t + 2]];
            const VtVector facing = cross(b - a, c - a);
            const VtVector outward = tube.normals[tube.triangles[t]] +
                                     tube.normals[tube.triangles[t + 1]] +
                                     tube.normals[tube.triangles[t + 2]];
            EXPECT_GT(dot(facing, outward), 0) << "round " << round << " triangle " << t;
        }
    }
}

TEST(CurveTube, NothingToShowGivesNoTube) {
    vantri::ObjectLine one{{{1, 2, 3}, {1, 2, 3}}, false};
    EXPECT_TRUE(vantri::tube_shape(one, 2).empty());
    vantri::ObjectLine two{{{0, 0, 0}, {100, 0, 0}}, true};
    EXPECT_TRUE(vantri::tube_shape(two, 0).empty());
    EXPECT_EQ(vantri::tube_shape(two, 2).triangles.size(), vantri::kTubeSides * 6u)
        << "two points make an open tube even when closed";
}

} // namespace
