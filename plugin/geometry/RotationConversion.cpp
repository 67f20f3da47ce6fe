#include "plugin/geometry/RotationConversion.h"

#include "abi/AngleConstants.h"

#include <cmath>

namespace {

using angle::kHalfPi;
using angle::kInvTwoPi;
using angle::kPi;
using angle::kThreeHalfPi;
using angle::kTwoPi;
// A horizontal length below this counts as a vertical direction.
constexpr double kDegenerate = 1e-5;

// Heading of a direction whose horizontal part (x, z) has length `length` >= kDegenerate.
double HeadingOf(double x, double z, double length) {
    const double s = x / length;
    if (z > 0.0) {
        if (s >= 1.0) return -kHalfPi;
        if (s <= -1.0) return kHalfPi;
        return -std::asin(s);
    }
    if (s >= 1.0) return kThreeHalfPi;
    if (s <= -1.0) return kHalfPi;
    return std::asin(s) + kPi;
}

// An angle brought into [-pi, pi).
double Wrap(double x) {
    const double turns = x * kInvTwoPi;
    double r = (turns - std::floor(turns)) * kTwoPi;
    if (r >= kPi) r -= kTwoPi;
    return r;
}

} // namespace

LMatrix MatrixRotY(double a) {
    const double c = std::cos(a);
    const double s = std::sin(a);
    return LMatrix(LVector(0.0, 0.0, 0.0), LVector(c, 0.0, s), LVector(0.0, 1.0, 0.0),
                   LVector(-s, 0.0, c));
}

LVector VectorToHPB(const LVector& v) {
    const double length = std::sqrt(v.z * v.z + v.x * v.x);
    if (length >= kDegenerate) {
        return LVector(HeadingOf(v.x, v.z, length), std::atan(v.y / length), 0.0);
    }
    return LVector(0.0, v.y <= 0.0 ? -kHalfPi : kHalfPi, 0.0);
}

// The heading and pitch come from the Z axis. The bank is the angle of the X axis from the
// level X axis of that heading, (cos h, 0, sin h); its side follows from whether the X axis
// points up (a bank beyond pi). With a vertical Z axis the heading is taken as 0 and the X
// axis's turn in the horizontal plane becomes the bank.
LVector MatrixToHPB(const LMatrix& m) {
    const double f = std::sqrt(m.v3.z * m.v3.z + m.v3.x * m.v3.x);
    const double g = m.v1.GetLength();
    double x1 = 0.0, y1 = 0.0, z1 = 0.0;
    if (g != 0.0) {
        x1 = m.v1.x / g;
        y1 = m.v1.y / g;
        z1 = m.v1.z / g;
    }

    if (f >= kDegenerate) {
        const double h0 = HeadingOf(m.v3.x, m.v3.z, f);
        const double heading = h0 >= 0.0 ? h0 : h0 + kTwoPi;
        const double pitch = std::atan(m.v3.y / f);
        const double c = std::cos(heading) * x1 + std::sin(heading) * z1;
        double bank = c >= 1.0 ? 0.0 : (c <= -1.0 ? kPi : std::acos(c));
        if (y1 > 0.0) bank = kTwoPi - bank;
        return LVector(heading, pitch, bank);
    }

    const double k = x1 >= 1.0 ? 0.0 : (x1 <= -1.0 ? kPi : std::acos(x1));
    if (m.v3.y > 0.0) return LVector(0.0, kHalfPi, z1 >= 0.0 ? k : kTwoPi - k);
    return LVector(0.0, -kHalfPi, z1 > 0.0 ? kTwoPi - k : k);
}

// Each angle of the target is moved to within pi of the old one (the direct candidate). The
// same orientation is also reached as (h + pi, pi - p, b + pi); that flipped candidate is
// wrapped the same way, and whichever needs the smaller total turn wins, the direct one on a
// tie.
LVector GetOptimalAngle(const LVector& old, const LVector& target) {
    const double th = Wrap(target.x - old.x);
    const double tp = Wrap(target.y - old.y);
    const double tb = Wrap(target.z - old.z);
    const double sh = Wrap(kPi + target.x - old.x);
    const double sp = Wrap(kPi - target.y - old.y);
    const double sb = Wrap(kPi + target.z - old.z);

    if (std::fabs(sh) + std::fabs(sp) + std::fabs(sb) >=
        std::fabs(th) + std::fabs(tp) + std::fabs(tb)) {
        return LVector(old.x + th, old.y + tp, old.z + tb);
    }
    return LVector(old.x + sh, old.y + sp, old.z + sb);
}
