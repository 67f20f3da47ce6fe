// The nearest-sample search against the scan of every sample it stands in for: the same index
// and the same distance, to the bit, for random curves and clouds of samples (some not finite,
// some on one spot), transforms (rotated, scaled by 1e-6 to 1e6, singular, not finite),
// points (on samples, midway between two, far away, huge, not finite) and capture distances
// (0, negative, NaN, tiny to beyond 1e308, infinite).
#include "plugin/geometry/NearestSampleSearch.h"
#include "plugin/geometry/VectorMath.h"
#include "tests/support/AllocatorBinding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace {

using vantri::allocator;

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The scan of Calc_FollowSpline.
void Scan(const GeDynamicArray<SplineNfo>& samples, const LMatrix& to_agent,
          const LVector& position, double capture, int32_t& nearest, double& best) {
    best = 1e308;
    nearest = -1;
    for (int32_t k = 0; k < samples.GetCount(); ++k) {
        const double d = Len(to_agent * samples[k].mg.off - position);
        if (d < best && d < capture) {
            best = d;
            nearest = k;
        }
    }
}

bool SameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

TEST(NearestSampleSearch, GivesTheScansSampleAndDistanceToTheBit) {
    vantri_test::AllocatorBinding binding;
    const int64_t live = allocator().live();
    std::mt19937 random(20261208);
    const auto real = [&](double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    };
    const auto pick = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    const double captures[] = {0.0, -1.0, kNaN, kInf, 1e308, 1.5e308, 1e-300, 1e300};
    int64_t searched = 0;
    int64_t found = 0;
    GeDynamicArray<SplineNfo> samples;
    NearestSampleSearch search;
    for (int round = 0; round < 60; ++round) {
        // A wavy loop of samples, or a cloud; a few not finite, huge or repeated.
        samples.FreeArray();
        const int count = pick(0, 4) == 0 ? pick(1, 40) : pick(32, 3000);
        const double scale = std::pow(10.0, real(-3, 6));
        const bool cloud = pick(0, 3) == 0;
        for (int k = 0; k < count; ++k) {
            const double a = 6.283185307179586 * k / count;
            LVector& off = samples.Push()->mg.off;
            off = cloud ? LVector(real(-1, 1), real(-1, 1), 0.0) * scale
                        : LVector(std::cos(a) + 0.3 * std::cos(3 * a), 0.1 * std::sin(5 * a),
                                  std::sin(a)) *
                              scale;
            const int odd = pick(0, 60);
            if (odd == 0) off.x = kNaN;
            if (odd == 1) off.z = -kInf;
            if (odd == 2) off.y = 1e300;
            if (odd == 3 && k > 0) off = samples[k - 1].mg.off;
        }
        // Turned and scaled by 1e-6 to 1e6, or singular, not finite or huge.
        LMatrix m;
        const double a = real(-3.2, 3.2);
        const double s = std::pow(10.0, real(-6, 6));
        m.v1 = LVector(std::cos(a), 0, -std::sin(a)) * s;
        m.v3 = LVector(std::sin(a), 0, std::cos(a)) * (s * real(0.5, 2));
        m.off = LVector(real(-1e4, 1e4), real(-10, 10), real(-1e4, 1e4));
        const int kind = pick(0, 9);
        if (kind == 0) m = LMatrix();
        if (kind == 1) m.v3 = m.v1;
        if (kind == 2) m.v2 = LVector(0, 0, 0);
        if (kind == 3) m.off.x = kNaN;
        if (kind == 4) m.off = LVector(1e300, 0, -1e300);
        for (int q = 0; q < 400; ++q) {
            const int32_t k = pick(0, count - 1);
            const LVector on = m * samples[k].mg.off;
            const LVector next = m * samples[(k + 1) % count].mg.off;
            const LVector points[] = {on + LVector(real(-1, 1), real(-1, 1), real(-1, 1)) *
                                               real(0, 50),
                                      on,
                                      (on + next) * 0.5, // midway: often a tie
                                      on * real(0.5, 1.5),
                                      LVector(real(-1e5, 1e5), 0, real(-1e5, 1e5)),
                                      LVector(real(-1, 1) * 1e200, 0, 1e-200),
                                      LVector(pick(0, 1) ? kNaN : 0.0, 0, pick(0, 1) ? kInf : 1.0)};
            const LVector p = points[std::min(pick(0, 9), 6)];
            const double capture =
                pick(0, 2) == 0 ? captures[pick(0, 7)] : std::pow(10.0, real(-2, 5));
            int32_t want = -2, got = -2;
            double want_best = 0.0, got_best = 0.0;
            Scan(samples, m, p, capture, want, want_best);
            if (!search.Find(samples, m, p, capture, got, got_best)) continue;
            ++searched;
            if (got >= 0) ++found;
            ASSERT_EQ(got, want) << "round " << round << " query " << q;
            ASSERT_TRUE(SameBits(got_best, want_best)) << got_best << " vs " << want_best;
        }
    }
    EXPECT_GT(searched, 15000) << "the tree answers all but the first queries";
    EXPECT_GT(found, 3000);
    search.Free();
    samples.FreeArray();
    EXPECT_EQ(allocator().live(), live);
}

} // namespace
