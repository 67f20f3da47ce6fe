// The results' export space (glTF's right-handed Y-up metres): points, rotations and whole
// transforms of the host carried over, and shapes whose triangles face outward before and
// after the mirror.
#include "results/ExportSpace.h"
#include "results/ObjectShapes.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

using namespace vantri;

const double kPi = 3.141592653589793;

// v rotated by the unit quaternion q = (x, y, z, w).
VtVector rotate(const Quaternion& q, const VtVector& v) {
    const VtVector u{q[0], q[1], q[2]};
    const VtVector t = cross(u, v) * 2.0;
    return v + t * q[3] + cross(u, t);
}

void expect_near(const VtVector& a, const VtVector& b, double tolerance) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
    EXPECT_NEAR(a.z, b.z, tolerance);
}

TEST(ExportSpace, PointsBecomeMetresWithZMirrored) {
    const VtVector p = export_point(VtVector{150, -20, 300});
    EXPECT_DOUBLE_EQ(p.x, 1.5);
    EXPECT_DOUBLE_EQ(p.y, -0.2);
    EXPECT_DOUBLE_EQ(p.z, -3.0);
    const VtVector d = export_direction(VtVector{0.6, 0, 0.8});
    expect_near(d, VtVector{0.6, 0, -0.8}, 0);
}

TEST(ExportSpace, HeadingAQuarterTurnIsAQuarterTurnAboutY) {
    // The host's heading pi/2 faces -X; the agent's forward, host +Z, is export -Z, and the
    // rotation taking -Z to -X is +pi/2 about +Y in the right-handed frame.
    const Quaternion q = export_rotation(VtVector{kPi / 2, 0, 0});
    EXPECT_NEAR(q[0], 0, 1e-15);
    EXPECT_NEAR(q[1], std::sqrt(0.5), 1e-15);
    EXPECT_NEAR(q[2], 0, 1e-15);
    EXPECT_NEAR(q[3], std::sqrt(0.5), 1e-15);
    expect_near(rotate(q, VtVector{0, 0, -1}), VtVector{-1, 0, 0}, 1e-15);
    // Pitch is positive upwards in both.
    const Quaternion up = export_rotation(VtVector{0, kPi / 4, 0});
    expect_near(rotate(up, VtVector{0, 0, -1}), VtVector{0, std::sqrt(0.5), -std::sqrt(0.5)},
                1e-15);
}

TEST(ExportSpace, EveryRotationMovesDirectionsAsTheHostDoes) {
    // For any heading, pitch and bank: rotating the export of a direction gives the export
    // of the host's rotated direction.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> angle(-2 * kPi, 2 * kPi);
    for (int i = 0; i < 200; ++i) {
        const VtVector hpb{angle(random), angle(random), angle(random)};
        const VtMatrix host = axes_from_rotation(hpb, VtVector{1, 1, 1});
        const Quaternion q = export_rotation(hpb);
        EXPECT_NEAR(q[0] * q[0] + q[1] * q[1] + q[2] * q[2] + q[3] * q[3], 1.0, 1e-14);
        EXPECT_GE(q[3], 0.0);
        for (const VtVector& d :
             {VtVector{1, 0, 0}, VtVector{0, 1, 0}, VtVector{0, 0, 1}, VtVector{0.3, -0.5, 0.81}}) {
            const VtVector host_turned = transform_point(host, d);
            expect_near(rotate(q, export_direction(d)), export_direction(host_turned), 1e-12);
        }
    }
}

TEST(ExportSpace, TransformsKeepScaleAndMirrorsAsANegativeScale) {
    VtMatrix host = axes_from_rotation(VtVector{0.7, -0.2, 1.1}, VtVector{2, 3, 0.5});
    host.off = VtVector{100, 50, -400};
    for (bool mirrored : {false, true}) {
        VtMatrix m = host;
        if (mirrored) m.v1 = m.v1 * -1.0;
        const ExportTransform t = export_transform(m);
        expect_near(t.translation, VtVector{1, 0.5, 4}, 1e-15);
        // The transform applied to an exported point equals the export of the host's
        // transformed point.
        for (const VtVector& p : {VtVector{10, 0, 0}, VtVector{0, -20, 5}, VtVector{3, 4, 5}}) {
            const VtVector e = export_point(p);
            const VtVector scaled{e.x * t.scale.x, e.y * t.scale.y, e.z * t.scale.z};
            expect_near(rotate(t.rotation, scaled) + t.translation,
                        export_point(transform_point(m, p)), 1e-12);
        }
        EXPECT_EQ(t.scale.z < 0, mirrored);
    }
}

// Whether every triangle of a shape around the origin faces away from it, taking the
// triangles' corners in the order given (counter-clockwise front in a right-handed frame).
bool faces_outward(const std::vector<VtVector>& points, const std::vector<uint32_t>& triangles) {
    for (size_t t = 0; t + 2 < triangles.size(); t += 3) {
        const VtVector a = points[triangles[t]], b = points[triangles[t + 1]],
                       c = points[triangles[t + 2]];
        const VtVector centre = (a + b + c) * (1.0 / 3);
        if (dot(cross(b - a, c - a), centre) <= 0) return false;
    }
    return true;
}

TEST(ExportSpace, BoxesAndSpheresFaceOutwardBeforeAndAfterTheMirror) {
    for (const ObjectShape& shape : {box_shape(VtVector{10, 20, 30}), sphere_shape(50, 16, 8)}) {
        ASSERT_TRUE(shape.has_mesh());
        EXPECT_EQ(shape.normals.size(), shape.vertices.size());
        EXPECT_TRUE(faces_outward(shape.vertices, shape.triangles));
        for (size_t i = 0; i < shape.vertices.size(); ++i)
            EXPECT_GT(dot(shape.normals[i], shape.vertices[i]), 0) << "normals point out";

        const ExportedShape out = export_shape(shape);
        ASSERT_EQ(out.positions.size(), 3 * shape.vertices.size());
        std::vector<VtVector> points;
        for (size_t i = 0; i + 2 < out.positions.size(); i += 3)
            points.push_back(
                VtVector{out.positions[i], out.positions[i + 1], out.positions[i + 2]});
        EXPECT_TRUE(faces_outward(points, out.indices)) << "corner order reversed with the mirror";
        expect_near(points[0], export_point(shape.vertices[0]), 1e-6);
    }
    const ObjectShape box = box_shape(VtVector{10, 20, 30});
    EXPECT_EQ(box.triangles.size(), 36u);
    EXPECT_TRUE(box_shape(VtVector{10, 0, 30}).empty()) << "a flat box shows nothing";
    EXPECT_TRUE(sphere_shape(0).empty());
}

} // namespace
