#include "plugin/object/SplineCache.h"

#include "plugin/object/NeighbourSearch.h"

#include "plugin/hostapi/PluginApi.h"
#include "plugin/hostapi/SplineData.h"

#include <cmath>

namespace {

// The sample frame of a point and its tangent: the tangent as v3, a level side axis as v1
// and v2 = v3 x v1, none of them normalised.
LMatrix SampleFrame(const LVector& point, const LVector& tangent) {
    const LVector v1(-tangent.z, 0.0, tangent.x);
    const LVector v2(tangent.x * tangent.y, -(tangent.x * tangent.x + tangent.z * tangent.z),
                     tangent.y * tangent.z);
    return LMatrix(point, v1, v2, tangent);
}

// The most samples one spline gets in a frame. Every agent that follows a spline searches all
// of its samples, so a spline that is very long against the agents' size (a 10 km path walked
// by agents of 1 cm) would cost minutes a frame and gigabytes; beyond this many the step
// widens until the whole spline fits, and the samples stay evenly spaced.
constexpr double kMostSplineSamples = 65536.0;

// The step that gives a spline at most kMostSplineSamples samples: `step` itself unless its
// segments' samples would pass the bound. Segments are measured as sampling will meet them,
// up to the first that cannot be measured.
double BoundedStep(SplineObject* spline, SplineLengthData* length, int32_t segments, double step) {
    double samples = 0.0;
    double total = 0.0;
    for (int32_t s = 0; s < segments && length->Init(spline, s, nullptr); ++s) {
        samples += std::floor(length->GetLength() / step);
        total += length->GetLength();
    }
    // A spline of unbounded length gives no step at all; sampling then takes none.
    return samples > kMostSplineSamples ? total / kMostSplineSamples : step;
}

} // namespace

// Each segment gives floor(length / step) samples, from its start to its end at equal arc
// length; a segment shorter than one step gives none. A segment of one sample would divide 0
// by 0 for its position; it takes position 0, the segment's start.
void Sample_Spline_Points(SplineObject* spline, GeDynamicArray<SplineNfo>& samples, double step) {
    samples.FreeArray();
    SplineLengthData* length = SplineLengthData::Alloc();
    if (spline != nullptr && step > 0.0 && length != nullptr) {
        int32_t segments = spline->GetSegmentCount();
        if (segments == 0 && spline->GetPointCount() > 0) segments = 1;
        step = BoundedStep(spline, length, segments, step);
        int32_t budget = static_cast<int32_t>(kMostSplineSamples);
        for (int32_t s = 0; s < segments && budget > 0; ++s) {
            if (!length->Init(spline, s, nullptr)) break;
            // Rounding can leave the widened step a hair short; the budget holds regardless.
            const double count = std::floor(length->GetLength() / step);
            const int32_t n = !(count >= 1.0)  ? 0
                              : count < budget ? static_cast<int32_t>(count)
                                               : budget;
            budget -= n;
            // One allocation for the segment rather than one per block of samples. Should it
            // fail, each sample still tries on its own and is skipped when it cannot be had.
            samples.Reserve(samples.GetCount() + n);
            for (int32_t i = 0; i < n; ++i) {
                const double u = n > 1 ? static_cast<double>(i) / static_cast<double>(n - 1) : 0.0;
                const double w = length->UniformToNatural(u);
                const LVector point = spline->GetSplinePoint(w, s, nullptr);
                const LVector tangent = spline->GetSplineTangent(w, s, nullptr);
                SplineNfo* sample = samples.Push();
                if (sample == nullptr) continue;
                sample->t = u;
                sample->mg = SampleFrame(point, tangent);
            }
        }
    }
    SplineLengthData::Free(length);
}

void SplineCache::Clear() {
    searches.FreeArray();
    for (int32_t i = 0; i < splines.GetCount(); ++i)
        splines[i].points.FreeArray();
    splines.FreeArray();
}

int32_t SplineCache::Find(const SplineObject* spline) const {
    for (int32_t i = 0; i < splines.GetCount(); ++i) {
        if (splines[i].spline == spline) return i;
    }
    return -1;
}

int32_t SplineCache::Add(SplineObject* spline, const GeDynamicArray<SplineNfo>& samples) {
    SplineList_Data* entry = splines.Push();
    if (entry != nullptr && entry->points.CopyFrom(samples)) {
        entry->spline = spline;
        return splines.GetCount() - 1;
    }
    if (entry != nullptr) splines.Remove(splines.GetCount() - 1);
    return -1;
}

// Cached samples are searched in a tree, the cache entry's own, which gives what the scan
// gives. The scan is the reference: it serves when the neighbour search is set to the scan of
// every pair, for samples that are not cached, and whenever the tree cannot serve.
bool SplineCache::FindNearest(int32_t entry, const LMatrix& to_agent, const LVector& position,
                              double capture, int32_t& nearest, double& best) {
    if (entry < 0 || CurrentNeighbourSearch() != NeighbourSearch::Grid) return false;
    if (entry >= searches.GetCount() && searches.Insert(entry) == nullptr) return false;
    return searches[entry].Find(splines[entry].points, to_agent, position, capture, nearest, best);
}
