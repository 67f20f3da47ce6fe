// Forward axes, sign, ellipse reach, matrix product, inverse, normalisation and square roots,
// and the seeded random numbers.
#include "plugin/geometry/ForwardAxis.h"
#include "plugin/geometry/Random.h"
#include "plugin/geometry/VectorMath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

void ExpectNear(const LVector& a, const LVector& b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

void ExpectNear(const LMatrix& a, const LMatrix& b, double tol) {
    ExpectNear(a.off, b.off, tol);
    ExpectNear(a.v1, b.v1, tol);
    ExpectNear(a.v2, b.v2, tol);
    ExpectNear(a.v3, b.v3, tol);
}

TEST(ForwardAxis, EveryCodePicksItsAxisAndSign) {
    LMatrix m(LVector(9, 9, 9), LVector(1, 2, 3), LVector(4, 5, 6), LVector(7, 8, 10));
    struct Case {
        int code;
        LVector axis;
        double sign;
    };
    const Case cases[] = {
        {1011, m.v1, 1.0}, {1012, -m.v1, -1.0}, {1013, m.v2, 1.0}, {1014, -m.v2, -1.0},
        {1015, m.v3, 1.0}, {1016, -m.v3, -1.0}, {0, m.v3, 1.0},    {1010, m.v3, 1.0},
        {1017, m.v3, 1.0}, {-1015, m.v3, 1.0},  {2015, m.v3, 1.0},
    };
    for (const Case& c : cases) {
        int code = c.code;
        EXPECT_EQ(GetDirVect(m, code), c.axis) << code;
        EXPECT_EQ(GetDirVectRef(m, code), c.axis) << code;
        EXPECT_EQ(GetDirVersus(code), c.sign) << code;
    }
    // Not normalised: the axis keeps its length.
    EXPECT_EQ(GetDirVect(m, 1013).GetLength(), m.v2.GetLength());
}

TEST(Sign, ZeroOfEitherSignIsPositive) {
    EXPECT_EQ(Sign(0.0), 1.0);
    EXPECT_EQ(Sign(-0.0), 1.0);
    EXPECT_EQ(Sign(5.0), 1.0);
    EXPECT_EQ(Sign(-1e-300), -1.0);
    EXPECT_EQ(Sign(kNaN), -1.0);
}

TEST(EllipseRlen, ReachesEachHalfAxisAndIsNaNWithoutASide) {
    const double half_pi = 1.5707963267948966;
    EXPECT_EQ(EllipseRlen(2.0, 5.0, 0.0), 5.0);
    EXPECT_NEAR(EllipseRlen(2.0, 5.0, half_pi), 2.0, 1e-12);
    EXPECT_NEAR(EllipseRlen(2.0, 5.0, -half_pi), 2.0, 1e-12);
    for (double angle = -4.0; angle < 4.0; angle += 0.37) {
        EXPECT_NEAR(EllipseRlen(3.0, 3.0, angle), 3.0, 1e-12) << angle;
        const double r = EllipseRlen(2.0, 5.0, angle);
        EXPECT_GE(r, 2.0 - 1e-12);
        EXPECT_LE(r, 5.0 + 1e-12);
    }
    // With no side half-axis the reach is not a number: nothing counts as within it.
    const double reach = EllipseRlen(0.0, 5.0, 0.0);
    EXPECT_TRUE(std::isnan(reach));
    EXPECT_FALSE(1.0 < reach);
    EXPECT_FALSE(1.0 >= reach);
}

TEST(MatrixProduct, AppliesTheRightHandMatrixFirst) {
    const LMatrix a(LVector(1, 2, 3), LVector(0, 1, 0), LVector(-1, 0, 0), LVector(0, 0, 2));
    const LMatrix b(LVector(4, -1, 0.5), LVector(1, 1, 0), LVector(0, 3, 1), LVector(2, 0, 1));
    const LMatrix ab = a * b;
    const LVector p(0.25, -2.0, 7.0);
    ExpectNear(ab * p, a * (b * p), 1e-12);
    // off = a.off + b.off.x * a.v1 + b.off.y * a.v2 + b.off.z * a.v3.
    EXPECT_EQ(ab.off, LVector(1 + 1, 2 + 4, 3 + 1));
    EXPECT_EQ(ab.v1, LVector(-1, 1, 0));
    EXPECT_EQ(LMatrix() * b, b);
    EXPECT_EQ(b * LMatrix(), b);
}

TEST(MatrixInverse, SingularMatricesGiveTheIdentity) {
    const LMatrix zero_axes(LVector(5, -6, 7), LVector(0, 0, 0), LVector(0, 0, 0),
                            LVector(0, 0, 0));
    EXPECT_EQ(!zero_axes, LMatrix());
    const LMatrix flat(LVector(1, 1, 1), LVector(1, 2, 3), LVector(2, 4, 6), LVector(0, 1, 0));
    EXPECT_EQ(!flat, LMatrix());
    const LMatrix nan_axis(LVector(), LVector(kNaN, 0, 0), LVector(0, 1, 0), LVector(0, 0, 1));
    EXPECT_EQ(!nan_axis, LMatrix());

    // A scaled, turned and moved matrix inverts to the transform that undoes it.
    const LMatrix m(LVector(10, 20, 30), LVector(0, 2, 0), LVector(-2, 0, 0), LVector(0, 0, 4));
    const LMatrix inv = !m;
    EXPECT_EQ(inv.v1, LVector(0, -0.5, 0));
    EXPECT_EQ(inv.v2, LVector(0.5, 0, 0));
    EXPECT_EQ(inv.v3, LVector(0, 0, 0.25));
    ExpectNear(inv * LVector(10, 20, 30), LVector(), 0.0);
}

TEST(MatrixInverse, UndoesEveryNonSingularMatrix) {
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> u(-10.0, 10.0);
    int checked = 0;
    while (checked < 2000) {
        LMatrix m(LVector(u(rng), u(rng), u(rng)), LVector(u(rng), u(rng), u(rng)),
                  LVector(u(rng), u(rng), u(rng)), LVector(u(rng), u(rng), u(rng)));
        if (std::fabs(m.v1 * (m.v2 % m.v3)) < 1.0) continue;
        ++checked;
        ExpectNear(!m * m, LMatrix(), 1e-9);
        ExpectNear(m * !m, LMatrix(), 1e-9);
    }
}

TEST(Normalise, UnitLengthOrZero) {
    EXPECT_EQ(!LVector(0, 0, 0), LVector(0, 0, 0));
    EXPECT_EQ(!LVector(kNaN, 1, 1), LVector(0, 0, 0));
    const LVector n = !LVector(3, 0, 4);
    ExpectNear(n, LVector(0.6, 0.0, 0.8), 1e-15);
    // Scaled by the reciprocal of the length, not divided by it.
    EXPECT_EQ(n.x, 3.0 * (1.0 / 5.0));
    EXPECT_EQ(n.z, 4.0 * (1.0 / 5.0));
    // A vector whose squared length underflows has length 0 and counts as zero.
    EXPECT_EQ(!LVector(1e-200, -1e-200, 0), LVector(0, 0, 0));
}

// The state step written out independently in 64-bit arithmetic.
uint32_t NextState(uint32_t s) {
    return static_cast<uint32_t>(((static_cast<uint64_t>(s) + 1) * 69069u) % 4294967296u) &
           0x7fffffffu;
}

TEST(SquareRoots, AreStdSqrtBitForBitAtEveryLength) {
    std::mt19937_64 random(5);
    std::uniform_int_distribution<uint64_t> bits;
    for (int32_t count = 0; count < 40; ++count) {
        std::vector<double> values(static_cast<size_t>(count));
        for (double& v : values) {
            // Any pattern of bits: every sign, every exponent, NaN and infinity among them.
            const uint64_t pattern = bits(random);
            std::memcpy(&v, &pattern, sizeof v);
        }
        if (count > 3) values[1] = -0.0;
        std::vector<double> roots = values;
        SquareRoots(roots.data(), count);
        for (int32_t i = 0; i < count; ++i) {
            const double expected = std::sqrt(values[static_cast<size_t>(i)]);
            if (std::isnan(expected)) {
                EXPECT_TRUE(std::isnan(roots[static_cast<size_t>(i)]));
            } else {
                EXPECT_EQ(std::memcmp(&roots[static_cast<size_t>(i)], &expected, sizeof expected),
                          0)
                    << values[static_cast<size_t>(i)];
            }
        }
    }
}

TEST(Random, SeededSequencesAreExact) {
    Random r;
    EXPECT_EQ(r.GetState(), 100u);
    const double first = r.Get01();
    EXPECT_EQ(r.GetState(), 101u * 69069u);
    EXPECT_EQ(first, 6975969.0 * 4.656612870908988e-10);

    r.Init(0);
    EXPECT_EQ(r.Get01(), 69069.0 * 4.656612870908988e-10);
    EXPECT_EQ(r.GetState(), 69069u);

    // Get01 and Get11 share one sequence; the state wraps modulo 2^32 and keeps 31 bits.
    r.Init(4000000000u);
    uint32_t s = 4000000000u;
    for (int i = 0; i < 5000; ++i) {
        s = NextState(s);
        if (i % 3 == 0) {
            const double v = r.Get11();
            EXPECT_EQ(v, static_cast<double>(s) * 9.313225741817976e-10 - 1.0);
            EXPECT_GE(v, -1.0);
            EXPECT_LT(v, 1.0);
        } else {
            const double v = r.Get01();
            EXPECT_EQ(v, static_cast<double>(s) * 4.656612870908988e-10);
            EXPECT_GE(v, 0.0);
            EXPECT_LT(v, 1.0);
        }
        ASSERT_EQ(r.GetState(), s);
    }

    // The largest state stays below 1.
    r.Init(0xffffffffu);
    EXPECT_EQ(r.Get01(), 0.0);
    EXPECT_LT(0x7fffffff * 4.656612870908988e-10, 1.0);
    EXPECT_LT(0x7fffffff * 9.313225741817976e-10 - 1.0, 1.0);
}

} // namespace
