// Directions, matrices and rotations: the plug-in's conversions, checked against the host's
// own rotation-to-matrix conversion.
#include "plugin/geometry/RotationConversion.h"
#include "host/scene/Transform.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

const double kPi = 3.141592653589793;
const double kHalfPi = 1.5707963267948966;
const double kThreeHalfPi = 4.71238898038469;
const double kTwoPi = 6.283185307179586;

// The host's matrix for a rotation and scale, placed at `position`.
LMatrix HostMatrix(const LVector& hpb, const VtVector& scale = {1, 1, 1},
                   const LVector& position = LVector()) {
    LMatrix m = FromAbi(vantri::axes_from_rotation(ToAbi(hpb), scale));
    m.off = position;
    return m;
}

void ExpectNear(const LVector& a, const LVector& b, double tol) {
    EXPECT_NEAR(a.x, b.x, tol);
    EXPECT_NEAR(a.y, b.y, tol);
    EXPECT_NEAR(a.z, b.z, tol);
}

void ExpectSameAxes(const LMatrix& a, const LMatrix& b, double tol) {
    ExpectNear(a.v1, b.v1, tol);
    ExpectNear(a.v2, b.v2, tol);
    ExpectNear(a.v3, b.v3, tol);
}

// Distance between two angles, modulo 2 pi.
double AngleGap(double a, double b) {
    return std::fabs(std::remainder(a - b, kTwoPi));
}

TEST(VectorToHPB, ListedDirections) {
    const LVector ahead = VectorToHPB(LVector(0, 0, 1));
    EXPECT_EQ(ahead, LVector(0, 0, 0));
    EXPECT_TRUE(std::signbit(ahead.x));
    EXPECT_EQ(VectorToHPB(LVector(1, 0, 0)), LVector(kThreeHalfPi, 0, 0));
    EXPECT_EQ(VectorToHPB(LVector(-1, 0, 0)), LVector(kHalfPi, 0, 0));
    EXPECT_EQ(VectorToHPB(LVector(0, 0, -1)), LVector(kPi, 0, 0));
    EXPECT_EQ(VectorToHPB(LVector(0, 5, 0)), LVector(0, kHalfPi, 0));
    EXPECT_EQ(VectorToHPB(LVector(0, -5, 0)), LVector(0, -kHalfPi, 0));
    EXPECT_EQ(VectorToHPB(LVector(0, 0, 0)), LVector(0, -kHalfPi, 0));
    EXPECT_EQ(VectorToHPB(LVector(0, 1, 1)).y, std::atan(1.0));
    // Below the horizontal threshold a direction counts as vertical.
    EXPECT_EQ(VectorToHPB(LVector(5e-6, 1, 5e-6)), LVector(0, kHalfPi, 0));

    // The host's matrix for the rotation has its Z axis along the direction.
    std::mt19937_64 rng(5);
    std::normal_distribution<double> n(0.0, 1.0);
    for (int i = 0; i < 2000; ++i) {
        const LVector v(n(rng), n(rng), n(rng));
        const LVector hpb = VectorToHPB(v);
        EXPECT_GT(hpb.x, -kHalfPi);
        EXPECT_LE(hpb.x, kThreeHalfPi);
        EXPECT_EQ(hpb.z, 0.0);
        ExpectNear(HostMatrix(hpb).v3, v * (1.0 / v.GetLength()), 1e-9);
    }
}

TEST(MatrixToHPB, ListedMatricesAndVerticalAxes) {
    EXPECT_EQ(MatrixToHPB(LMatrix()), LVector(0, 0, 0));
    const LMatrix facing_x(LVector(), LVector(0, 0, -1), LVector(0, 1, 0), LVector(1, 0, 0));
    EXPECT_EQ(MatrixToHPB(facing_x), LVector(kThreeHalfPi, 0, 0));
    // Scale does not change the rotation.
    const LMatrix scaled(LVector(4, 5, 6), LVector(0, 0, -3), LVector(0, 2, 0), LVector(7, 0, 0));
    EXPECT_EQ(MatrixToHPB(scaled), LVector(kThreeHalfPi, 0, 0));

    // A vertical Z axis puts the turn into the bank, on either side.
    const LMatrix up(LVector(), LVector(0, 0, 1), LVector(1, 0, 0), LVector(0, 1, 0));
    const LVector r_up = MatrixToHPB(up);
    EXPECT_EQ(r_up.x, 0.0);
    EXPECT_EQ(r_up.y, kHalfPi);
    EXPECT_NEAR(r_up.z, kHalfPi, 1e-15);
    const LMatrix down(LVector(), LVector(0, 0, 1), LVector(-1, 0, 0), LVector(0, -1, 0));
    const LVector r_down = MatrixToHPB(down);
    EXPECT_EQ(r_down.y, -kHalfPi);
    EXPECT_NEAR(r_down.z, kThreeHalfPi, 1e-15);
    ExpectSameAxes(HostMatrix(r_up), up, 1e-12);
    ExpectSameAxes(HostMatrix(r_down), down, 1e-12);

    // A zero X axis gives a bank from x1 = z1 = 0.
    const LMatrix no_x(LVector(), LVector(), LVector(0, 1, 0), LVector(0, 0, 1));
    EXPECT_EQ(MatrixToHPB(no_x), LVector(0, 0, kHalfPi));
}

TEST(MatrixToHPB, InvertsTheHostsRotationToMatrix) {
    std::mt19937_64 rng(77);
    std::uniform_real_distribution<double> angle(-10.0, 10.0);
    std::uniform_real_distribution<double> pitch(-kHalfPi + 1e-3, kHalfPi - 1e-3);
    std::uniform_real_distribution<double> scale(0.1, 5.0);
    for (int i = 0; i < 5000; ++i) {
        const LVector r(angle(rng), pitch(rng), angle(rng));
        const VtVector s{scale(rng), scale(rng), scale(rng)};
        const LMatrix m = HostMatrix(r, s, LVector(1, 2, 3));
        EXPECT_EQ(m.off, LVector(1, 2, 3));
        EXPECT_NEAR(m.v1.GetLength(), s.x, 1e-12);
        EXPECT_NEAR(m.v2.GetLength(), s.y, 1e-12);
        EXPECT_NEAR(m.v3.GetLength(), s.z, 1e-12);

        const LVector back = MatrixToHPB(m);
        // asin and acos lose digits near +-1, hence the looser angle tolerance.
        EXPECT_LT(AngleGap(back.x, r.x), 1e-6) << i;
        EXPECT_NEAR(back.y, r.y, 1e-9) << i;
        EXPECT_LT(AngleGap(back.z, r.z), 1e-6) << i;
        EXPECT_GE(back.x, 0.0);
        EXPECT_LE(back.x, kTwoPi);
        EXPECT_GE(back.z, 0.0);
        EXPECT_LE(back.z, kTwoPi);
    }
    // At the poles heading and bank merge; the matrix still comes back.
    for (int i = 0; i < 500; ++i) {
        const LVector r(angle(rng), i % 2 ? kHalfPi : -kHalfPi, angle(rng));
        const LMatrix m = HostMatrix(r);
        ExpectSameAxes(HostMatrix(MatrixToHPB(m)), m, 1e-6);
    }
}

TEST(GetOptimalAngle, TakesTheShortWay) {
    const LVector turned = GetOptimalAngle(LVector(0, 0, 0), LVector(kTwoPi - 0.1, 0, 0));
    ExpectNear(turned, LVector(-0.1, 0, 0), 1e-12);
    const LVector r(1.25, -0.5, 3.0);
    EXPECT_EQ(GetOptimalAngle(r, r), r);
    // The mirrored pitch is nearer here: (pi, pi - 0.1, pi) is the orientation (0, 0.1, 0).
    const LVector flipped = GetOptimalAngle(LVector(0, 0, 0), LVector(kPi, kPi - 0.1, kPi));
    ExpectNear(flipped, LVector(0, 0.1, 0), 1e-12);

    std::mt19937_64 rng(3);
    std::uniform_real_distribution<double> angle(-12.0, 12.0);
    std::uniform_real_distribution<double> pitch(-1.5, 1.5);
    for (int i = 0; i < 3000; ++i) {
        const LVector old(angle(rng), pitch(rng), angle(rng));
        const LVector target(angle(rng), pitch(rng), angle(rng));
        const LVector best = GetOptimalAngle(old, target);
        // The same orientation as the target, and no farther than the direct turn.
        ExpectSameAxes(HostMatrix(best), HostMatrix(target), 1e-9);
        const double turn =
            std::fabs(best.x - old.x) + std::fabs(best.y - old.y) + std::fabs(best.z - old.z);
        const double direct =
            AngleGap(target.x, old.x) + AngleGap(target.y, old.y) + AngleGap(target.z, old.z);
        EXPECT_LE(turn, direct + 1e-9);
        EXPECT_LE(std::fabs(best.x - old.x), kPi + 1e-12);
    }
}

TEST(MatrixRotY, TurnsAboutY) {
    const LMatrix m = MatrixRotY(kHalfPi);
    ExpectNear(m * LVector(0, 0, 1), LVector(-1, 0, 0), 1e-15);
    EXPECT_EQ(m.off, LVector());
    const double a = 0.7;
    const LVector v(1.5, -2, 3);
    const LVector turned = MatrixRotY(a) * v;
    ExpectNear(
        turned,
        LVector(v.x * std::cos(a) - v.z * std::sin(a), v.y, v.x * std::sin(a) + v.z * std::cos(a)),
        1e-15);
    // The host's matrix for a heading of a: positive angles turn +Z towards -X.
    ExpectSameAxes(MatrixRotY(a), HostMatrix(LVector(a, 0, 0)), 1e-15);
}

} // namespace
