// The host's geometry: spline curves and their arc length, primitives, and the ray
// collider's hierarchy checked against a scan of every triangle.
#include "host/geometry/Primitives.h"
#include "host/geometry/RayCollider.h"
#include "host/geometry/SplineLength.h"
#include "host/geometry/SplinePath.h"
#include "host/memory/Allocator.h"
#include "host/plugin/ObjectTypes.h"
#include "host/scene/SceneObject.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <random>

namespace {

using namespace vantri;

constexpr double kPi = 3.141592653589793;

// The arc length from the segment's start to w, by a polyline of many chords: an
// independent measure whose error (of the order of the chord length squared) lies far below
// the 1e-6 the tables promise.
double polyline_length(const SplinePath& path, int32_t segment, double w, int chords = 200000) {
    double total = 0.0;
    VtVector previous{0, 0, 0};
    path.point(segment, 0.0, previous);
    for (int i = 1; i <= chords; ++i) {
        VtVector p{0, 0, 0};
        path.point(segment, w * i / chords, p);
        total += length(p - previous);
        previous = p;
    }
    return total;
}

std::shared_ptr<SplinePath> wavy_loop() {
    std::vector<VtVector> points;
    for (int i = 0; i < 7; ++i) {
        const double a = 2 * kPi * i / 7;
        const double r = 300 + 80 * std::sin(3 * a);
        points.push_back(VtVector{r * std::cos(a), 20.0 * i, r * std::sin(a)});
    }
    return std::make_shared<SplinePath>(points, true, SplineInterpolation::Cubic);
}

TEST(SplinePath, SegmentsPointsAndEnds) {
    const SplinePath bare({{0, 0, 0}, {10, 0, 0}, {10, 0, 10}}, false, SplineInterpolation::Linear);
    EXPECT_EQ(bare.segment_count(), 0) << "points without segment information";
    EXPECT_EQ(bare.evaluable_segments(), 1);
    EXPECT_EQ(bare.point_count(), 3);
    VtVector p{0, 0, 0}, t{0, 0, 0};
    ASSERT_TRUE(bare.point(0, 0.75, p));
    EXPECT_EQ(p.x, 10.0);
    EXPECT_EQ(p.z, 5.0);
    ASSERT_TRUE(bare.tangent(0, 0.25, t));
    EXPECT_EQ(t.x, 1.0);
    EXPECT_FALSE(bare.point(1, 0.5, p)) << "no second segment";

    const SplinePath two(
        std::vector<std::vector<VtVector>>{{{0, 0, 0}, {0, 0, 4}}, {}, {{1, 1, 1}}}, false,
        SplineInterpolation::Cubic);
    EXPECT_EQ(two.segment_count(), 3);
    EXPECT_EQ(two.point_count(), 3);
    ASSERT_TRUE(two.point(0, 0.5, p));
    EXPECT_NEAR(p.z, 2.0, 1e-12) << "a cubic through two points is their straight line";
    EXPECT_FALSE(two.point(1, 0.5, p)) << "an empty segment has no point";
    ASSERT_TRUE(two.point(2, 0.5, p));
    EXPECT_EQ(p.y, 1.0) << "a one-point segment stands at its point";
    ASSERT_TRUE(two.tangent(2, 0.5, t));
    EXPECT_EQ(length(t), 0.0);

    const SplinePath square({{0, 0, 0}, {1, 0, 0}, {1, 0, 1}, {0, 0, 1}}, true,
                            SplineInterpolation::Cubic);
    VtVector start{0, 0, 0}, end{0, 0, 0}, t0{0, 0, 0}, t1{0, 0, 0};
    square.point(0, 0.0, start);
    square.point(0, 1.0, end);
    square.tangent(0, 0.0, t0);
    square.tangent(0, 1.0, t1);
    EXPECT_NEAR(length(end - start), 0.0, 1e-12) << "a closed segment ends where it began";
    EXPECT_NEAR(length(t1 - t0), 0.0, 1e-12) << "and turns smoothly there";
}

TEST(SplineLength, LinearLengthAndUniformPositionsAreExact) {
    auto path =
        std::make_shared<SplinePath>(std::vector<VtVector>{{0, 0, 0}, {30, 0, 0}, {30, 0, 65}},
                                     false, SplineInterpolation::Linear);
    SplineLength table;
    ASSERT_TRUE(table.init(path, 0));
    EXPECT_NEAR(table.length(), 95.0, 1e-9);
    // A quarter of 95 lies on the first span (length 30): natural 0.5 * 23.75 / 30.
    EXPECT_NEAR(table.uniform_to_natural(0.25), 0.5 * 23.75 / 30.0, 1e-12);
    EXPECT_NEAR(table.uniform_to_natural(0.5), 0.5 + 0.5 * 17.5 / 65.0, 1e-12);
    EXPECT_EQ(table.uniform_to_natural(0.0), 0.0);
    EXPECT_EQ(table.uniform_to_natural(1.0), 1.0);
    EXPECT_EQ(table.uniform_to_natural(2.0), 1.0) << "clamped";
    EXPECT_FALSE(table.init(path, 1)) << "no second segment";
    EXPECT_EQ(table.length(), 0.0);
    EXPECT_EQ(table.uniform_to_natural(0.5), 0.0);
}

TEST(SplineLength, CubicTablesAreWithinAMillionthOfTheLength) {
    const auto loop = wavy_loop();
    const auto open = std::make_shared<SplinePath>(
        std::vector<VtVector>{{0, 0, 0}, {100, 50, 0}, {100, 0, 200}, {-50, 0, 220}, {-60, 0, 0}},
        false, SplineInterpolation::Cubic);
    for (const auto& path : {loop, open}) {
        SplineLength table;
        ASSERT_TRUE(table.init(path, 0));
        const double reference = polyline_length(*path, 0, 1.0);
        EXPECT_NEAR(table.length(), reference, 1e-6 * reference);
        for (double u : {0.01, 0.1, 0.333, 0.5, 0.77, 0.999}) {
            const double w = table.uniform_to_natural(u);
            EXPECT_NEAR(polyline_length(*path, 0, w, 50000), u * reference, 1e-6 * reference)
                << "u = " << u;
        }
    }
}

TEST(Primitives, FacesPointOutwardAndPlanesTakeTheirHeights) {
    const auto outward = [](const Mesh& mesh) {
        for (const Triangle& t : TriangleBvh::triangulate(mesh)) {
            const VtVector centre = t.p0 + (t.e1 + t.e2) * (1.0 / 3.0);
            if (dot(t.normal, centre) <= 0.0) return false;
        }
        return true;
    };
    EXPECT_TRUE(outward(make_cube({100, 50, 20})));
    EXPECT_TRUE(outward(make_sphere(80, 12)));
    EXPECT_TRUE(outward(make_sphere(80, 3))) << "the fewest segments still close the sphere";
    const Mesh cube = make_cube({100, 50, 20});
    EXPECT_EQ(cube.bounds_half_size().x, 50.0);
    EXPECT_EQ(cube.bounds_half_size().z, 10.0);

    PlaneSettings settings;
    settings.width = 200;
    settings.depth = 100;
    settings.segments_x = 2;
    settings.segments_z = 1;
    settings.heights = std::vector<double>{0, 1, 2, 3, 4, 5};
    ASSERT_EQ(check_plane(settings), "");
    const Mesh plane = make_plane(settings);
    ASSERT_EQ(plane.points().size(), 6u);
    EXPECT_EQ(plane.points()[0].x, -100.0);
    EXPECT_EQ(plane.points()[0].z, -50.0);
    EXPECT_EQ(plane.points()[5].y, 5.0) << "the last row is +Z, its last value +X";
    EXPECT_EQ(plane.points()[5].x, 100.0);
    EXPECT_EQ(plane.bounds_centre().y, 2.5);
    for (const Triangle& t : TriangleBvh::triangulate(plane))
        EXPECT_GT(t.normal.y, 0.0) << "a plane faces up";

    settings.heights->pop_back();
    EXPECT_NE(check_plane(settings), "");
    settings.heights.reset();
    settings.segments_x = 0;
    EXPECT_NE(check_plane(settings), "");
    EXPECT_NE(Mesh::check({{0, 0, 0}, {1, 0, 0}}, {{0, 1, 2, 2}}), "");
    EXPECT_NE(Mesh::check({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 1, 2}}), "");
    EXPECT_EQ(Mesh::check({{0, 0, 0}, {1, 0, 0}, {0, 0, 1}}, {{0, 1, 2, 2}}), "");
}

// A bumpy terrain of 100 x 100 quads (20,000 triangles), a sphere and a soup of random
// triangles: every ray gives the same answer through the hierarchy as through every triangle.
TEST(TriangleBvh, AgreesWithAScanOfEveryTriangle) {
    std::mt19937_64 random(1234);
    std::uniform_real_distribution<double> unit(-1.0, 1.0);

    PlaneSettings terrain;
    terrain.width = terrain.depth = 2000;
    terrain.segments_x = terrain.segments_z = 100;
    terrain.heights = std::vector<double>(101 * 101);
    for (double& h : *terrain.heights)
        h = 40.0 * unit(random);

    std::vector<VtVector> soup_points;
    std::vector<MeshFace> soup_faces;
    for (int i = 0; i < 600; ++i) {
        const VtVector c{300 * unit(random), 300 * unit(random), 300 * unit(random)};
        for (int k = 0; k < 3; ++k)
            soup_points.push_back(
                c + VtVector{40 * unit(random), 40 * unit(random), 40 * unit(random)});
        soup_faces.push_back(MeshFace{3 * i, 3 * i + 1, 3 * i + 2, 3 * i + 2});
    }

    const Mesh meshes[] = {make_plane(terrain), make_sphere(250, 40),
                           Mesh(soup_points, soup_faces)};
    for (const Mesh& mesh : meshes) {
        TriangleBvh bvh;
        bvh.build(mesh);
        int hits = 0;
        for (int i = 0; i < 4000; ++i) {
            const VtVector start{500 * unit(random), 500 * unit(random), 500 * unit(random)};
            VtVector direction{unit(random), unit(random), unit(random)};
            if (i % 4 == 0) direction = VtVector{0.01 * unit(random), -1, 0.01 * unit(random)};
            direction = direction * (1.0 / length(direction));
            const double reach = i % 3 == 0 ? 200.0 : 5000.0;
            TriangleHit fast, slow;
            const bool a = bvh.intersect(start, direction, reach, false, fast);
            const bool b = bvh.intersect_every_triangle(start, direction, reach, slow);
            ASSERT_EQ(a, b) << "ray " << i;
            if (!a) continue;
            ++hits;
            EXPECT_NEAR(fast.distance, slow.distance, 1e-9) << "ray " << i;
            EXPECT_EQ(fast.triangle, slow.triangle) << "ray " << i;
            EXPECT_NEAR(length(fast.position - (start + direction * fast.distance)), 0.0, 1e-9);
            TriangleHit any;
            EXPECT_TRUE(bvh.intersect(start, direction, reach, true, any));
        }
        EXPECT_GT(hits, 400) << "enough rays hit to compare";
    }
}

TEST(TriangleBvh, RaysThroughSharedEdgesAndCornersHit) {
    PlaneSettings grid;
    grid.width = grid.depth = 100;
    grid.segments_x = grid.segments_z = 10;
    TriangleBvh bvh;
    bvh.build(make_plane(grid));
    for (double x = -50; x <= 50; x += 5) {
        for (double z = -50; z <= 50; z += 5) {
            TriangleHit hit;
            ASSERT_TRUE(bvh.intersect({x, 2.5, z}, {0, -1, 0}, 10, false, hit)) << x << " " << z;
            EXPECT_EQ(hit.distance, 2.5);
            EXPECT_EQ(hit.face_normal.y, 1.0);
            EXPECT_FALSE(hit.backface);
        }
    }
    TriangleHit hit;
    EXPECT_FALSE(bvh.intersect({0, 2.5, 0}, {0, -1, 0}, 2.4, false, hit)) << "beyond reach";
    EXPECT_TRUE(bvh.intersect({0, -2.5, 0}, {0, 1, 0}, 10, false, hit));
    EXPECT_TRUE(hit.backface) << "met from below";
    EXPECT_FALSE(bvh.intersect({70, 2.5, 0}, {0, -1, 0}, 10, false, hit)) << "off the plane";
}

TEST(RayCollider, BuildsOnceReusesAndFailsAfterAFailedInit) {
    SceneObject plane(kPlaneType);
    PlaneSettings settings;
    settings.segments_x = settings.segments_z = 4;
    plane.set_mesh(std::make_shared<Mesh>(make_plane(settings)));
    SceneObject null_object(kNullType);

    const int64_t live = allocator().live();
    {
        RayCollider collider;
        EXPECT_FALSE(collider.intersect({0, 10, 0}, {0, -1, 0}, 100, false)) << "not initialised";
        ASSERT_TRUE(collider.init(&plane, false));
        ASSERT_TRUE(collider.init(&plane, false));
        plane.set_position({5, 5, 5});
        ASSERT_TRUE(collider.init(&plane, false));
        RayCollider another;
        ASSERT_TRUE(another.init(&plane, false));
        EXPECT_EQ(plane.hierarchy_builds(), 1u)
            << "moving the object keeps its local-space hierarchy, shared by every collider";
        ASSERT_TRUE(collider.init(&plane, true));
        EXPECT_EQ(plane.hierarchy_builds(), 2u) << "forced";
        plane.set_mesh(std::make_shared<Mesh>(make_cube({10, 10, 10})));
        ASSERT_TRUE(another.intersect({0, 20, 0}, {0, -1, 0}, 100, false))
            << "a collider keeps what it was initialised on";
        ASSERT_TRUE(collider.init(&plane, false));
        EXPECT_EQ(plane.hierarchy_builds(), 3u) << "new geometry";

        ASSERT_TRUE(collider.intersect({0, 20, 0}, {0, -3, 0}, 100, false));
        TriangleHit hit;
        ASSERT_TRUE(collider.nearest(hit));
        EXPECT_EQ(hit.distance, 15.0) << "the direction is normalised";
        EXPECT_EQ(hit.position.y, 5.0);
        EXPECT_FALSE(collider.intersect({0, 20, 0}, {0, 0, 0}, 100, false)) << "zero direction";
        EXPECT_FALSE(collider.nearest(hit)) << "a miss leaves no hit";

        EXPECT_FALSE(collider.init(&null_object, false)) << "a null has no polygons";
        EXPECT_FALSE(collider.intersect({0, 20, 0}, {0, -1, 0}, 100, false));
        ASSERT_TRUE(collider.init(&plane, false));
        allocator().fail_nth(1);
        EXPECT_FALSE(collider.init(&plane, true)) << "the host refuses the hierarchy's memory";
        allocator().fail_nth(0);
        EXPECT_FALSE(collider.intersect({0, 20, 0}, {0, -1, 0}, 100, false));
        ASSERT_TRUE(collider.init(&plane, false));
        EXPECT_TRUE(collider.intersect({0, 20, 0}, {0, -1, 0}, 100, false));
    }
    EXPECT_EQ(allocator().live(), live) << "the collider gives back what it held";
}

} // namespace
