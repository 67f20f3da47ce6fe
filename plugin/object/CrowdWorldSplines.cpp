// Following a spline.
//
// A spline is sampled into evenly spaced points, each with a local frame (the point, the
// curve's tangent and two side axes). The world keeps the samples of every spline used in a
// frame in its spline cache, which the frame execution empties at the start of every
// executed frame: the first agent that follows a spline samples it, with its own size as the
// step and its behaviour's profile as the weights, and every later agent of the frame reuses
// those samples, reading them in place.
//
// An agent steers towards the nearest sample within the capture distance: along the tangent
// when it is within its own size of the curve, otherwise half along the tangent and half back
// towards the curve. The steering has the length of the sample's weight. The nearest sample
// of a cached spline is found in a tree of boxes kept beside the cache entry
// (NearestSampleSearch), which gives exactly what the scan of every sample gives; the scan
// stays as the reference.
#include "plugin/object/CrowdWorld.h"

#include "plugin/object/NeighbourSearch.h"

#include "plugin/hostapi/SplineData.h"
#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdbehav.h"

#include <algorithm>
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

LVector Crowdworld::Calc_FollowSpline(BaseContainer* behaviour, SplineObject* link,
                                      Agent_ID_Data* agent) {
    // Only a spline object has a curve to follow; any other linked object gives nothing.
    SplineObject* spline = SplineObject::From(link);
    if (spline == nullptr || behaviour == nullptr || agent == nullptr) return LVector();
    const double capture = behaviour->GetReal(CROWDBEHAV_SPLINE_RADIUS);
    const int32_t end_stop = static_cast<int32_t>(behaviour->GetReal(CROWDBEHAV_SPLINE_END_STOP));

    const GeDynamicArray<SplineNfo>* samples = nullptr;
    int32_t cached = -1; // the samples' entry in the cache
    for (int32_t i = 0; i < splines.GetCount(); ++i) {
        if (splines[i].spline == spline) {
            samples = &splines[i].points;
            cached = i;
            break;
        }
    }
    // Samples that could not be cached serve this call alone.
    GeDynamicArray<SplineNfo> uncached;
    if (samples == nullptr) {
        Sample_Spline_Points(spline, uncached, std::min(agent->size.x, agent->size.z));
        SplineData* profile = static_cast<SplineData*>(
            behaviour->GetCustomDataType(CROWDBEHAV_SPLINE_PROFILE, CustomDataId::SplineCurve));
        for (SplineNfo& sample : uncached)
            sample.weight = profile != nullptr ? profile->GetPoint(sample.t).y : 1.0;
        SplineList_Data* entry = splines.Push();
        if (entry != nullptr && entry->points.CopyFrom(uncached)) {
            entry->spline = spline;
            samples = &entry->points;
            cached = splines.GetCount() - 1;
        } else {
            if (entry != nullptr) splines.Remove(splines.GetCount() - 1);
            samples = &uncached;
        }
    }

    const LMatrix spline_mg = spline->GetUpMg() * spline->GetMl();
    const LMatrix to_agent = !agent->parent_mg * spline_mg;
    const int32_t count = samples->GetCount();
    if (count == 0) return LVector();

    const LVector position = agent->mg.off;
    double best = 1e308;
    int32_t nearest = -1;
    if (!Find_Nearest_Sample(cached, to_agent, position, capture, nearest, best)) {
        for (int32_t k = 0; k < count; ++k) {
            const double d = Len(to_agent * (*samples)[k].mg.off - position);
            if (d < best && d < capture) {
                best = d;
                nearest = k;
            }
        }
    }
    if (nearest < 0) return LVector();
    const SplineNfo& sample = (*samples)[nearest];
    if (end_stop != 0 && sample.t >= 1.0) return LVector();

    agent->spline_mg = to_agent * sample.mg;
    const LVector along = agent->spline_mg.v3;
    const double reach = std::min(agent->size.x, agent->size.z);
    const LVector direction = best > reach ? !along + !(agent->spline_mg.off - position) : along;
    return !direction * sample.weight;
}

// Cached samples are searched in a tree, the cache entry's own, which gives what the scan
// gives. The scan is the reference: it serves when the neighbour search is set to the scan of
// every pair, for samples that are not cached, and whenever the tree cannot serve.
bool Crowdworld::Find_Nearest_Sample(int32_t cached, const LMatrix& to_agent,
                                     const LVector& position, double capture, int32_t& nearest,
                                     double& best) {
    if (cached < 0 || CurrentNeighbourSearch() != NeighbourSearch::Grid) return false;
    if (cached >= sample_searches.GetCount() && sample_searches.Insert(cached) == nullptr)
        return false;
    return sample_searches[cached].Find(splines[cached].points, to_agent, position, capture,
                                        nearest, best);
}
