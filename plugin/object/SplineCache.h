// SplineCache: the samples of every spline that agents follow in a frame.
//
// A spline is sampled into evenly spaced points, each with a local frame (the point, the
// curve's tangent and two side axes). The first agent of a frame that follows a spline
// samples it, and every later agent of the frame reuses those samples, reading them in
// place; the world empties the cache at the start of every executed frame. Beside each entry
// the cache keeps a tree of boxes over the samples (NearestSampleSearch), which finds the
// sample nearest to an agent exactly as the scan of every sample does.
#pragma once

#include "plugin/geometry/CrowdRecords.h"
#include "plugin/geometry/GeDynamicArray.h"
#include "plugin/geometry/NearestSampleSearch.h"

/// Fills `samples` with evenly spaced samples of every segment of `spline`, `step` apart along
/// the curve (none for a step of 0 or less); the weights are left for the caller.
void Sample_Spline_Points(SplineObject* spline, GeDynamicArray<SplineNfo>& samples, double step);

class SplineCache {
  public:
    SplineCache() = default;
    ~SplineCache() { Clear(); }
    SplineCache(const SplineCache&) = delete;
    SplineCache& operator=(const SplineCache&) = delete;

    /// Empties the cache, freeing every sample list and sample search first.
    void Clear();
    /// The entry of `spline` (compared by identity), or -1.
    int32_t Find(const SplineObject* spline) const;
    /// The samples of entry `entry`, valid until the next Add or Clear.
    const GeDynamicArray<SplineNfo>& Samples(int32_t entry) const { return splines[entry].points; }
    /// Adds an entry for `spline` with a copy of `samples`: its index, or -1 (nothing added)
    /// when memory is short.
    int32_t Add(SplineObject* spline, const GeDynamicArray<SplineNfo>& samples);
    /// The nearest sample of entry `entry` (-1: not cached) to `position`, as the scan of every
    /// sample finds it; false when the caller must scan.
    bool FindNearest(int32_t entry, const LMatrix& to_agent, const LVector& position,
                     double capture, int32_t& nearest, double& best);

  private:
    GeDynamicArray<SplineList_Data> splines; ///< the sampled splines, in order of first use
    /// The nearest-sample search of each entry, by index, emptied with the cache.
    GeDynamicArray<NearestSampleSearch> searches;
};
