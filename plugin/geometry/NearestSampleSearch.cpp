#include "plugin/geometry/NearestSampleSearch.h"

#include "plugin/hostapi/HostMemory.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// Below this many samples the scan is as quick as any tree.
constexpr int32_t kFewestSamples = 32;
// Queries with one transform that scan before the tree is built for it.
constexpr int32_t kScansBeforeBuilding = 2;
// Most samples in a leaf of the tree.
constexpr int32_t kLeafSamples = 8;
// The scan's starting best: a distance must be below it to count.
constexpr double kNoSample = 1e308;
// A box is skipped only when its distance, less this part of it, rules its samples out.
constexpr double kMargin = 1e-9;

bool Finite(const LVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

uint64_t Bits(double v) {
    uint64_t bits = 0;
    std::memcpy(&bits, &v, sizeof bits);
    return bits;
}

bool SameBits(const LVector& a, const LVector& b) {
    return Bits(a.x) == Bits(b.x) && Bits(a.y) == Bits(b.y) && Bits(a.z) == Bits(b.z);
}

// Whether two transforms are the same to the bit (a NaN matches itself, 0 does not match -0),
// so that kept points are only ever reused for the very transform that made them.
bool SameBits(const LMatrix& a, const LMatrix& b) {
    return SameBits(a.off, b.off) && SameBits(a.v1, b.v1) && SameBits(a.v2, b.v2) &&
           SameBits(a.v3, b.v3);
}

double Coordinate(const LVector& v, int axis) {
    return axis == 0 ? v.x : axis == 1 ? v.y : v.z;
}

// How far x lies outside [lo, hi] along one axis, with the subtraction a sample's own
// coordinate difference would make.
double Outside(double lo, double hi, double x) {
    return x < lo ? lo - x : x > hi ? x - hi : 0.0;
}

} // namespace

bool NearestSampleSearch::Find(const GeDynamicArray<SplineNfo>& samples, const LMatrix& transform,
                               const LVector& p, double capture, int32_t& nearest, double& best) {
    const SplineNfo* source = samples.GetArray();
    const int32_t count = samples.GetCount();
    if (source != source_ || count != sources_ || !SameBits(transform, transform_)) {
        Free();
        source_ = source;
        sources_ = count;
        transform_ = transform;
    }
    if (refused_ || count < kFewestSamples) return false;
    if (uses_ < kScansBeforeBuilding) {
        ++uses_;
        return false;
    }
    if (!built_ && !Build(samples)) {
        Release();
        refused_ = true;
        return false;
    }
    best = kNoSample;
    nearest = -1;
    // No distance to a point that is not finite is below 1e308, and none is below a capture
    // distance that is 0, negative or NaN.
    if (!(capture > 0.0) || !Finite(p) || filed_ == 0) return true;
    Visit(0, 0, filed_, Gap(0, p), p, capture, nearest, best);
    return true;
}

void NearestSampleSearch::Free() {
    Release();
    source_ = nullptr;
    sources_ = 0;
    transform_ = LMatrix();
    uses_ = 0;
    built_ = false;
    refused_ = false;
}

void NearestSampleSearch::Release() {
    GeFreeBlock(points_);
    GeFreeBlock(order_);
    GeFreeBlock(boxes_);
    filed_ = 0;
    built_ = false;
}

bool NearestSampleSearch::Build(const GeDynamicArray<SplineNfo>& samples) {
    const int32_t count = samples.GetCount();
    points_ = static_cast<LVector*>(GeAlloc(sizeof(LVector) * static_cast<size_t>(count)));
    order_ = static_cast<int32_t*>(GeAlloc(sizeof(int32_t) * static_cast<size_t>(count)));
    if (points_ == nullptr || order_ == nullptr) return false;
    filed_ = 0;
    for (int32_t k = 0; k < count; ++k) {
        // The scan's expression, so that the distances match it to the bit.
        points_[k] = transform_ * samples[k].mg.off;
        if (Finite(points_[k])) order_[filed_++] = k;
    }
    if (filed_ > 0) {
        // Splitting in halves, the largest part of depth t holds ceil(filed / 2^t) points.
        int32_t depth = 0;
        for (int32_t part = filed_; part > kLeafSamples; part -= part / 2)
            ++depth;
        const size_t nodes = (size_t{2} << depth) - 1;
        boxes_ = static_cast<Box*>(GeAlloc(sizeof(Box) * nodes));
        if (boxes_ == nullptr) return false;
        File(0, 0, filed_);
    }
    built_ = true;
    return true;
}

// Bounds the points of order_[begin, end) in node's box, then splits them at the median of
// the box's longest side between the node's two children.
void NearestSampleSearch::File(int32_t node, int32_t begin, int32_t end) {
    Box box{points_[order_[begin]], points_[order_[begin]]};
    for (int32_t i = begin + 1; i < end; ++i) {
        const LVector& q = points_[order_[i]];
        box.lo = LVector(std::min(box.lo.x, q.x), std::min(box.lo.y, q.y), std::min(box.lo.z, q.z));
        box.hi = LVector(std::max(box.hi.x, q.x), std::max(box.hi.y, q.y), std::max(box.hi.z, q.z));
    }
    boxes_[node] = box;
    if (end - begin <= kLeafSamples) return;
    const LVector side = box.hi - box.lo;
    const int axis = side.x >= side.y && side.x >= side.z ? 0 : side.y >= side.z ? 1 : 2;
    const int32_t middle = begin + (end - begin) / 2;
    std::nth_element(order_ + begin, order_ + middle, order_ + end,
                     [this, axis](int32_t a, int32_t b) {
                         return Coordinate(points_[a], axis) < Coordinate(points_[b], axis);
                     });
    File(2 * node + 1, begin, middle);
    File(2 * node + 2, middle, end);
}

void NearestSampleSearch::Visit(int32_t node, int32_t begin, int32_t end, double gap,
                                const LVector& p, double capture, int32_t& nearest,
                                double& best) const {
    // Every sample in the box is at least `gap` away: none counts at or beyond the capture
    // distance, and none farther than the best so far can beat it or tie with it.
    const double reach = gap - gap * kMargin;
    if (reach >= capture || reach > best) return;
    if (end - begin <= kLeafSamples) {
        for (int32_t i = begin; i < end; ++i) {
            const int32_t k = order_[i];
            const double d = Len(points_[k] - p);
            if (d < capture && (d < best || (d == best && k < nearest))) {
                best = d;
                nearest = k;
            }
        }
        return;
    }
    const int32_t middle = begin + (end - begin) / 2;
    const int32_t left = 2 * node + 1;
    const int32_t right = left + 1;
    const double left_gap = Gap(left, p);
    const double right_gap = Gap(right, p);
    if (right_gap < left_gap) {
        Visit(right, middle, end, right_gap, p, capture, nearest, best);
        Visit(left, begin, middle, left_gap, p, capture, nearest, best);
    } else {
        Visit(left, begin, middle, left_gap, p, capture, nearest, best);
        Visit(right, middle, end, right_gap, p, capture, nearest, best);
    }
}

double NearestSampleSearch::Gap(int32_t node, const LVector& p) const {
    const Box& box = boxes_[node];
    return Len(LVector(Outside(box.lo.x, box.hi.x, p.x), Outside(box.lo.y, box.hi.y, p.y),
                       Outside(box.lo.z, box.hi.z, p.z)));
}
