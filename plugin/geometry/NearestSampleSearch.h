// NearestSampleSearch: the sample of a spline nearest to a point, found in a tree of boxes
// instead of a scan of every sample, with exactly the scan's answer.
//
// The scan it stands in for: for every sample k in order, d = Len(T * off_k - p); the sample
// counts when d < best and d < capture, best starting at 1e308. It ends with the smallest d
// below min(capture, 1e308) and, among equal ones, the lowest k.
//
// The search carries every sample's point through T once, with the scan's own expression,
// so a distance it computes is bit for bit the scan's. It then files the finite points in a
// balanced tree of bounding boxes (a sample with a coordinate that is not finite is at an
// infinite or NaN distance from every finite point, and never counts; a point p that is not
// finite is at such a distance from every sample). A query descends the tree nearer child
// first, keeping the smallest (d, k) pair that counts, and skips a box whose distance from p
// says that no sample inside can count or tie.
//
// Why skipping is exact: the box distance is Len of the per-axis gaps (lo - p or p - hi, or
// 0), computed with the same operations as a sample's distance. Rounding is monotonic, so
// for a sample inside the box each rounded coordinate difference is at least the rounded
// gap, each square at least the gap's square, and so on through the sum and the square root:
// the computed distance of every sample in the box is at least the computed distance of the
// box. A small relative margin on top costs nothing measurable.
//
// The points and the tree are kept for the last transform used (compared bit for bit) and
// rebuilt when it changes; the first queries with a transform scan instead, so that a
// transform used by only one or two agents never pays for a build. Memory comes from the
// host; when it is refused the query says so and the caller scans.
#pragma once

#include "plugin/geometry/CrowdRecords.h"
#include "plugin/hostapi/MathTypes.h"

#include <cstdint>

class NearestSampleSearch {
  public:
    NearestSampleSearch() = default;
    ~NearestSampleSearch() { Free(); }
    NearestSampleSearch(const NearestSampleSearch&) = delete;
    NearestSampleSearch& operator=(const NearestSampleSearch&) = delete;

    /// The nearest sample of `samples` to `p` as the scan finds it, with the points carried
    /// through `transform`: `nearest` gets its index (-1 when none counts) and `best` its
    /// distance (1e308 when none counts). False, with nothing written, when the caller must
    /// scan instead: the transform is new, or memory was refused. The samples must stay as
    /// they are while the search keeps them; Free before they change.
    bool Find(const GeDynamicArray<SplineNfo>& samples, const LMatrix& transform, const LVector& p,
              double capture, int32_t& nearest, double& best);

    /// Gives back all memory; the next query starts afresh.
    void Free();

  private:
    struct Box {
        LVector lo;
        LVector hi;
    };

    /// Gives back the points and the tree, keeping what they were made for.
    void Release();
    bool Build(const GeDynamicArray<SplineNfo>& samples);
    void File(int32_t node, int32_t begin, int32_t end);
    void Visit(int32_t node, int32_t begin, int32_t end, double gap, const LVector& p,
               double capture, int32_t& nearest, double& best) const;
    double Gap(int32_t node, const LVector& p) const;

    const SplineNfo* source_ = nullptr; ///< the samples the search was made for
    int32_t sources_ = 0;               ///< their count
    LMatrix transform_;                 ///< the transform of the kept points
    int32_t uses_ = 0;                  ///< queries with this transform and these samples
    bool built_ = false;                ///< the points and the tree are ready
    bool refused_ = false;              ///< memory was refused for this transform: scan
    LVector* points_ = nullptr;         ///< transform * off of every sample, by index
    int32_t* order_ = nullptr;          ///< indices of the finite points, in tree order
    int32_t filed_ = 0;                 ///< how many of them
    Box* boxes_ = nullptr;              ///< the tree's boxes; node i has children 2i+1, 2i+2
};
