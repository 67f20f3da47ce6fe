// Rays against spheres and oriented boxes.
#include "plugin/geometry/RayIntersection.h"
#include "plugin/geometry/VectorMath.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

OC_Ray3 Ray(const LVector& origin, const LVector& direction) {
    return {origin, direction};
}
OC_Sphere3 Sphere(const LVector& center, double radius) {
    return {center, radius};
}

// An axis-aligned box.
OC_Box3 Box(const LVector& center, double ex, double ey, double ez) {
    OC_Box3 b;
    b.center = center;
    b.axis[0] = LVector(1, 0, 0);
    b.axis[1] = LVector(0, 1, 0);
    b.axis[2] = LVector(0, 0, 1);
    b.extent[0] = ex;
    b.extent[1] = ey;
    b.extent[2] = ez;
    return b;
}

TEST(RaySphere, InsideOutsideTangentAndChord) {
    const OC_Sphere3 sphere = Sphere(LVector(1, 2, 3), 2.0);

    // From inside: one point, where the ray leaves, ahead of the origin.
    const OC_Ray3 inside = Ray(LVector(1.5, 2, 3), LVector(0, 0, 1));
    OC_IntrRay3Sphere3 in(inside, sphere);
    EXPECT_TRUE(in.Test());
    ASSERT_TRUE(in.Find());
    EXPECT_EQ(in.GetQuantity(), 1);
    EXPECT_EQ(in.GetIntersectionType(), 1);
    EXPECT_GT(in.GetRayParameter(0), 0.0);
    EXPECT_NEAR((in.GetPoint(0) - sphere.center).GetLength(), 2.0, 1e-12);
    EXPECT_GT(in.GetPoint(0).z, 3.0);

    // From outside, heading away: nothing, although the line meets the sphere behind.
    const OC_Ray3 away = Ray(LVector(1, 2, 10), LVector(0, 0, 1));
    OC_IntrRay3Sphere3 aw(away, sphere);
    EXPECT_FALSE(aw.Test());
    EXPECT_FALSE(aw.Find());
    EXPECT_EQ(aw.GetQuantity(), 0);
    const OC_Ray3 sideways = Ray(LVector(1, 10, 3), LVector(1, 0, 0));
    EXPECT_FALSE(OC_IntrRay3Sphere3(sideways, sphere).Test());

    // Through the centre: entry first, the chord a diameter long.
    const OC_Ray3 through = Ray(LVector(1, 2, -7), LVector(0, 0, 1));
    OC_IntrRay3Sphere3 th(through, sphere);
    EXPECT_TRUE(th.Test());
    ASSERT_TRUE(th.Find());
    EXPECT_EQ(th.GetQuantity(), 2);
    EXPECT_EQ(th.GetIntersectionType(), 2);
    EXPECT_EQ(th.GetRayParameter(0), 8.0);
    EXPECT_EQ(th.GetRayParameter(1), 12.0);
    EXPECT_EQ((th.GetPoint(1) - th.GetPoint(0)).GetLength(), 4.0);

    // Grazing: a discriminant below 1e-6 counts as a tangent, one point at t = -D.Delta.
    const OC_Ray3 tangent = Ray(LVector(3 - 1e-8, 2, -7), LVector(0, 0, 1));
    OC_IntrRay3Sphere3 tg(tangent, sphere);
    EXPECT_TRUE(tg.Test());
    ASSERT_TRUE(tg.Find());
    EXPECT_EQ(tg.GetQuantity(), 1);
    EXPECT_EQ(tg.GetRayParameter(0), 10.0);
    // Just beyond the sphere: a miss.
    const OC_Ray3 miss = Ray(LVector(3.001, 2, -7), LVector(0, 0, 1));
    OC_IntrRay3Sphere3 ms(miss, sphere);
    EXPECT_FALSE(ms.Test());
    EXPECT_FALSE(ms.Find());
    EXPECT_EQ(ms.GetIntersectionType(), 0);

    // The intersector refers to the caller's ray and sphere.
    EXPECT_EQ(&th.GetRay(), &through);
    EXPECT_EQ(&th.GetSphere(), &sphere);
}

TEST(RayBox, InsideParallelEdgeCornerAndFace) {
    const OC_Box3 box = Box(LVector(0, 0, 0), 1, 1, 1);

    // From inside: the first point is the origin itself, the second the exit.
    const OC_Ray3 inside = Ray(LVector(0.5, 0.25, 0), LVector(1, 0, 0));
    OC_IntrRay3Box3 in(inside, box);
    EXPECT_TRUE(in.Test());
    ASSERT_TRUE(in.Find());
    EXPECT_EQ(in.GetQuantity(), 2);
    EXPECT_EQ(in.GetIntersectionType(), 2);
    EXPECT_EQ(in.GetPoint(0), inside.origin);
    EXPECT_EQ(in.GetPoint(1), LVector(1, 0.25, 0));

    // Parallel to the y faces and outside that slab: a zero denominator with a positive
    // numerator rejects it.
    const OC_Ray3 parallel = Ray(LVector(-5, 2, 0), LVector(1, 0, 0));
    OC_IntrRay3Box3 pa(parallel, box);
    EXPECT_FALSE(pa.Test());
    EXPECT_FALSE(pa.Find());
    EXPECT_EQ(pa.GetQuantity(), 0);
    double t0 = 0.0, t1 = 1.0;
    EXPECT_FALSE(OC_IntrRay3Box3::Clip(0.0, 0.5, t0, t1));
    EXPECT_TRUE(OC_IntrRay3Box3::Clip(0.0, 0.0, t0, t1));
    EXPECT_TRUE(OC_IntrRay3Box3::Clip(2.0, 1.0, t0, t1));
    EXPECT_EQ(t0, 0.5);
    EXPECT_TRUE(OC_IntrRay3Box3::Clip(-4.0, -3.0, t0, t1));
    EXPECT_EQ(t1, 0.75);
    EXPECT_FALSE(OC_IntrRay3Box3::Clip(1.0, 0.8, t0, t1));

    // Only the corner (1, 1, 1) is touched: t0 = t1, a single point.
    const OC_Ray3 corner = Ray(LVector(2, 0, 1), LVector(-1, 1, 0));
    OC_IntrRay3Box3 co(corner, box);
    EXPECT_TRUE(co.Test());
    ASSERT_TRUE(co.Find());
    EXPECT_EQ(co.GetQuantity(), 1);
    EXPECT_EQ(co.GetIntersectionType(), 1);
    EXPECT_EQ(co.GetPoint(0), LVector(1, 1, 1));
    // An edge is touched at one point when the ray crosses it.
    const OC_Ray3 edge = Ray(LVector(2, 0, 0.5), LVector(-1, 1, 0));
    OC_IntrRay3Box3 ed(edge, box);
    EXPECT_TRUE(ed.Test());
    ASSERT_TRUE(ed.Find());
    EXPECT_EQ(ed.GetIntersectionType(), 1);
    EXPECT_EQ(ed.GetPoint(0), LVector(1, 1, 0.5));

    // An origin on a face plane heading along it is not rejected by the slab step.
    const OC_Ray3 on_face = Ray(LVector(1, -3, 0), LVector(0, 1, 0));
    OC_IntrRay3Box3 of(on_face, box);
    EXPECT_TRUE(of.Test());
    ASSERT_TRUE(of.Find());
    EXPECT_EQ(of.GetPoint(0), LVector(1, -1, 0));
    EXPECT_EQ(of.GetPoint(1), LVector(1, 1, 0));

    // A line that lies inside only counts when solid or clipped.
    int quantity = -1, kind = -1;
    LVector points[2];
    EXPECT_FALSE(OC_IntrRay3Box3::DoClipping(0.0, 0.5, LVector(0, 0, 0), LVector(1, 0, 0), box,
                                             false, quantity, points, kind));
    EXPECT_EQ(quantity, 0);
    EXPECT_TRUE(OC_IntrRay3Box3::DoClipping(0.0, 0.5, LVector(0, 0, 0), LVector(1, 0, 0), box, true,
                                            quantity, points, kind));
    EXPECT_EQ(kind, 2);

    // A zero direction: hit only from inside.
    EXPECT_TRUE(OC_IntrRay3Box3(Ray(LVector(0.2, 0, 0), LVector()), box).Test());
    EXPECT_FALSE(OC_IntrRay3Box3(Ray(LVector(3, 0, 0), LVector()), box).Test());

    EXPECT_EQ(&in.GetBox(), &box);
    EXPECT_EQ(&in.GetRay(), &inside);
}

// Random rotation axes from a random unit quaternion.
void RandomAxes(std::mt19937_64& rng, LVector axis[3]) {
    std::normal_distribution<double> n(0.0, 1.0);
    double w = n(rng), x = n(rng), y = n(rng), z = n(rng);
    const double len = std::sqrt(w * w + x * x + y * y + z * z);
    w /= len, x /= len, y /= len, z /= len;
    axis[0] = LVector(1 - 2 * (y * y + z * z), 2 * (x * y + w * z), 2 * (x * z - w * y));
    axis[1] = LVector(2 * (x * y - w * z), 1 - 2 * (x * x + z * z), 2 * (y * z + w * x));
    axis[2] = LVector(2 * (x * z + w * y), 2 * (y * z - w * x), 1 - 2 * (x * x + y * y));
}

bool InsideBox(const OC_Box3& b, const LVector& p, double tol) {
    for (int i = 0; i < 3; ++i) {
        if (std::fabs((p - b.center) * b.axis[i]) > b.extent[i] + tol) return false;
    }
    return true;
}

bool OnBoxSurface(const OC_Box3& b, const LVector& p, double tol) {
    if (!InsideBox(b, p, tol)) return false;
    for (int i = 0; i < 3; ++i) {
        if (std::fabs(std::fabs((p - b.center) * b.axis[i]) - b.extent[i]) <= tol) return true;
    }
    return false;
}

TEST(RayBox, TestAgreesWithFindAndPointsLieOnTheSurface) {
    vantri_test::AllocatorBinding binding;
    std::mt19937_64 rng(2024);
    std::uniform_real_distribution<double> u(-4.0, 4.0);
    std::uniform_real_distribution<double> e(0.1, 2.0);
    std::normal_distribution<double> n(0.0, 1.0);
    const uint64_t requests = vantri::allocator().requests();
    int hits = 0, inside = 0;
    for (int i = 0; i < 20000; ++i) {
        OC_Box3 box = Box(LVector(u(rng), u(rng), u(rng)), e(rng), e(rng), e(rng));
        RandomAxes(rng, box.axis);
        // Half the rays aim near the box, the others anywhere.
        const LVector origin(u(rng), u(rng), u(rng));
        const LVector aim = i % 2 ? box.center + LVector(n(rng), n(rng), n(rng)) - origin
                                  : LVector(n(rng), n(rng), n(rng));
        const OC_Ray3 ray = Ray(origin, !aim);
        OC_IntrRay3Box3 intr(ray, box);
        const bool test = intr.Test();
        const bool found = intr.Find();
        ASSERT_EQ(test, found) << i;
        if (!found) {
            EXPECT_EQ(intr.GetQuantity(), 0);
            continue;
        }
        ++hits;
        ASSERT_EQ(intr.GetQuantity(), 2);
        if (InsideBox(box, ray.origin, 0.0)) {
            ++inside;
            EXPECT_EQ(intr.GetPoint(0), ray.origin);
        } else {
            EXPECT_TRUE(OnBoxSurface(box, intr.GetPoint(0), 1e-9)) << i;
        }
        EXPECT_TRUE(OnBoxSurface(box, intr.GetPoint(1), 1e-9)) << i;
        // Both points lie on the ray, the first nearer its origin.
        EXPECT_LE((intr.GetPoint(0) - ray.origin) * ray.direction,
                  (intr.GetPoint(1) - ray.origin) * ray.direction);
    }
    EXPECT_GT(hits, 3000);
    EXPECT_GT(inside, 50);
    EXPECT_EQ(vantri::allocator().requests(), requests);
}

TEST(RaySphere, TestAgreesWithFindAndPointsLieOnTheSphere) {
    vantri_test::AllocatorBinding binding;
    std::mt19937_64 rng(99);
    std::uniform_real_distribution<double> u(-4.0, 4.0);
    std::uniform_real_distribution<double> r(0.1, 3.0);
    std::normal_distribution<double> n(0.0, 1.0);
    const uint64_t requests = vantri::allocator().requests();
    int chords = 0;
    for (int i = 0; i < 20000; ++i) {
        const OC_Sphere3 sphere = Sphere(LVector(u(rng), u(rng), u(rng)), r(rng));
        const LVector origin(u(rng), u(rng), u(rng));
        const LVector aim = i % 2 ? sphere.center + LVector(n(rng), n(rng), n(rng)) - origin
                                  : LVector(n(rng), n(rng), n(rng));
        const OC_Ray3 ray = Ray(origin, !aim);
        OC_IntrRay3Sphere3 intr(ray, sphere);
        const bool test = intr.Test();
        ASSERT_EQ(test, intr.Find()) << i;
        EXPECT_EQ(intr.GetQuantity(), intr.GetIntersectionType());
        // A near-tangent (discriminant below 1e-6) is taken at its closest approach.
        const bool from_inside = (ray.origin - sphere.center).GetLength() <= sphere.radius;
        const double tol = intr.GetQuantity() == 1 && !from_inside ? 1e-5 : 1e-9;
        for (int k = 0; k < intr.GetQuantity(); ++k) {
            EXPECT_NEAR((intr.GetPoint(k) - sphere.center).GetLength(), sphere.radius, tol);
            EXPECT_GE(intr.GetRayParameter(k), 0.0);
            const LVector on_ray = ray.origin + intr.GetRayParameter(k) * ray.direction;
            EXPECT_EQ(intr.GetPoint(k), on_ray);
        }
        if (intr.GetQuantity() == 2) {
            ++chords;
            EXPECT_LT(intr.GetRayParameter(0), intr.GetRayParameter(1));
        }
    }
    EXPECT_GT(chords, 3000);
    EXPECT_EQ(vantri::allocator().requests(), requests);
}

} // namespace
