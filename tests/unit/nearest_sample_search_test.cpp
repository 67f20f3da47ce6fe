// The nearest-sample search against the scan of every sample it stands in for: the same index
// and the same distance, to the bit, for random curves and clouds of samples (some not finite,
// some on one spot), transforms (rotated, scaled by 1e-6 to 1e6, singular, not finite),
// points (on samples, midway between two, far away, huge, not finite) and capture distances
// (0, negative, NaN, tiny to beyond 1e308, infinite). And refused memory leaves the scan to
// the caller and leaks nothing.
#include "NearestSampleSearch.h"
#include "VectorMath.h"
#include "test_allocator_binding.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

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

class NearestSampleSearchTest : public ::testing::Test {
  protected:
    std::mt19937 random{20261208};
    double Real(double lo, double hi) {
        return std::uniform_real_distribution<double>(lo, hi)(random);
    }
    int Pick(int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); }

    // A curve of samples like a sampled spline, or a cloud; a few not finite or repeated.
    void MakeSamples(GeDynamicArray<SplineNfo>& samples) {
        samples.FreeArray();
        const int count = Pick(0, 4) == 0 ? Pick(1, 40) : Pick(32, 3000);
        const double scale = std::pow(10.0, Real(-3, 6));
        const bool curve = Pick(0, 3) != 0;
        for (int k = 0; k < count; ++k) {
            SplineNfo* s = samples.Push();
            ASSERT_NE(s, nullptr);
            const double a = 6.283185307179586 * k / count;
            s->mg.off = curve ? LVector(scale * (std::cos(a) + 0.3 * std::cos(3 * a)),
                                        Pick(0, 5) == 0 ? scale * 0.1 * std::sin(5 * a) : 0.0,
                                        scale * std::sin(a))
                              : LVector(Real(-scale, scale), Real(-scale, scale), 0.0);
            const int odd = Pick(0, 60);
            if (odd == 0) s->mg.off.x = kNaN;
            if (odd == 1) s->mg.off.z = -kInf;
            if (odd == 2 && k > 0) s->mg.off = samples[k - 1].mg.off;
            if (odd == 3) s->mg.off.y = 1e300;
        }
    }

    LMatrix MakeTransform() {
        const int kind = Pick(0, 9);
        if (kind == 0) return LMatrix();
        LMatrix m;
        const double a = Real(-3.2, 3.2);
        const double s = std::pow(10.0, Real(-6, 6));
        m.v1 = LVector(std::cos(a), 0, -std::sin(a)) * s;
        m.v2 = LVector(0, Real(0.5, 2), 0);
        m.v3 = LVector(std::sin(a), 0, std::cos(a)) * (s * Real(0.5, 2));
        m.off = LVector(Real(-1e4, 1e4), Real(-10, 10), Real(-1e4, 1e4));
        if (kind == 1) m.v3 = m.v1;                       // singular: a flat image
        if (kind == 2) m.v2 = LVector(0, 0, 0);           // singular
        if (kind == 3) m.off.x = kNaN;                    // nothing finite
        if (kind == 4) m.off = LVector(1e300, 0, -1e300); // huge
        return m;
    }
};

TEST_F(NearestSampleSearchTest, GivesTheScansSampleAndDistanceToTheBit) {
    vantri_test::AllocatorBinding binding;
    const int64_t live = allocator().live();
    {
        GeDynamicArray<SplineNfo> samples;
        NearestSampleSearch search;
        int64_t searched = 0;
        int64_t found = 0;
        for (int round = 0; round < 60; ++round) {
            MakeSamples(samples);
            const LMatrix to_agent = MakeTransform();
            const double captures[] = {0.0,  -1.0, kNaN, kInf, 1e308, 1.5e308, 1e-300,
                                       1e-3, 1.0,  30.0, 1e3,  1e6,   1e300};
            for (int q = 0; q < 400; ++q) {
                LVector p;
                const int kind = Pick(0, 9);
                const int32_t k = Pick(0, samples.GetCount() - 1);
                const LVector on = to_agent * samples[k].mg.off;
                const LVector next = to_agent * samples[(k + 1) % samples.GetCount()].mg.off;
                if (kind <= 2)
                    p = on + LVector(Real(-1, 1), Real(-1, 1), Real(-1, 1)) * Real(0, 50);
                if (kind == 3) p = on;
                if (kind == 4) p = (on + next) * 0.5; // midway: often a tie
                if (kind == 5) p = LVector(Real(-1e5, 1e5), 0, Real(-1e5, 1e5));
                if (kind == 6) p = LVector(Real(-1, 1) * 1e200, 0, 1e-200);
                if (kind == 7) p = LVector(Pick(0, 1) ? kNaN : 0.0, 0, Pick(0, 1) ? kInf : 1.0);
                if (kind >= 8) p = on * Real(0.5, 1.5);
                const double capture =
                    Pick(0, 2) == 0 ? captures[Pick(0, 12)] : std::pow(10.0, Real(-2, 5));
                int32_t want = -2, got = -2;
                double want_best = 0.0, got_best = 0.0;
                Scan(samples, to_agent, p, capture, want, want_best);
                if (!search.Find(samples, to_agent, p, capture, got, got_best)) continue;
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
    }
    EXPECT_EQ(allocator().live(), live);
}

// The first queries with a transform, and those on a handful of samples, go to the scan; a
// changed transform or sample list starts afresh.
TEST_F(NearestSampleSearchTest, ScansUntilATransformIsUsedAgainAndRebuildsWhenItChanges) {
    vantri_test::AllocatorBinding binding;
    GeDynamicArray<SplineNfo> samples;
    for (int k = 0; k < 100; ++k)
        samples.Push()->mg.off = LVector(k, 0, 0);
    NearestSampleSearch search;
    int32_t nearest = -1;
    double best = 0.0;
    LMatrix shifted;
    shifted.off = LVector(1000, 0, 0);
    for (const LMatrix& m : {LMatrix(), shifted}) {
        EXPECT_FALSE(search.Find(samples, m, LVector(10.2, 0, 0), 5.0, nearest, best));
        EXPECT_FALSE(search.Find(samples, m, LVector(10.2, 0, 0), 5.0, nearest, best));
        ASSERT_TRUE(search.Find(samples, m, LVector(m.off.x + 10.6, 0, 0), 5.0, nearest, best));
        EXPECT_EQ(nearest, 11);
    }
    ASSERT_TRUE(search.Find(samples, shifted, LVector(1049.5, 0, 0), 5.0, nearest, best));
    EXPECT_EQ(nearest, 49) << "a tie keeps the earlier sample";
    EXPECT_EQ(best, 0.5);
    samples.Push()->mg.off = LVector(-1, 0, 0);
    EXPECT_FALSE(search.Find(samples, shifted, LVector(999, 0, 0), 5.0, nearest, best))
        << "new samples: the search starts afresh";
    samples.Remove(0, 70);
    EXPECT_FALSE(search.Find(samples, shifted, LVector(999, 0, 0), 5.0, nearest, best))
        << "too few samples to be worth a tree";
}

TEST_F(NearestSampleSearchTest, RefusedMemoryLeavesTheQueryToTheScanAndLeaksNothing) {
    vantri_test::AllocatorBinding binding;
    GeDynamicArray<SplineNfo> samples;
    for (int k = 0; k < 500; ++k)
        samples.Push()->mg.off = LVector(std::cos(k * 0.01), 0, std::sin(k * 0.01)) * 100.0;
    const int64_t live = allocator().live();
    int refused = 0;
    for (uint64_t n = 1; n <= 4; ++n) {
        NearestSampleSearch search;
        int32_t nearest = -1;
        double best = 0.0;
        search.Find(samples, LMatrix(), LVector(), 1e3, nearest, best);
        search.Find(samples, LMatrix(), LVector(), 1e3, nearest, best);
        const uint64_t refusals = allocator().refusals();
        allocator().fail_nth(n);
        const bool answered =
            search.Find(samples, LMatrix(), LVector(99, 0, 0), 1e3, nearest, best);
        allocator().fail_nth(0);
        if (allocator().refusals() == refusals) {
            EXPECT_TRUE(answered);
            EXPECT_EQ(nearest, 0);
            continue;
        }
        ++refused;
        EXPECT_FALSE(answered);
        EXPECT_FALSE(search.Find(samples, LMatrix(), LVector(), 1e3, nearest, best))
            << "no second try with the same transform";
        search.Free();
        EXPECT_EQ(allocator().live(), live) << "refusal " << n;
    }
    EXPECT_EQ(refused, 3) << "the points, the order and the boxes";
}

} // namespace
