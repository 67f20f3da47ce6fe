// Following a spline (the samples: SplineCache).
//
// The first agent of a frame that follows a spline samples it, with its own size as the step
// and its behaviour's profile as the weights, and every later agent of the frame reuses those
// samples. An agent steers towards the nearest sample within the capture distance: along the
// tangent when it is within its own size of the curve, otherwise half along the tangent and
// half back towards the curve. The steering has the length of the sample's weight. The
// nearest sample of a cached spline is found in the cache's tree of boxes, which gives exactly
// what the scan of every sample gives; the scan stays as the reference.
#include "plugin/object/CrowdWorld.h"

#include "plugin/hostapi/SplineData.h"
#include "plugin/geometry/VectorMath.h"
#include "parameter_ids/ocrowdbehav.h"

#include <algorithm>
#include <cmath>

LVector Crowdworld::Calc_FollowSpline(BaseContainer* behaviour, SplineObject* link,
                                      Agent_ID_Data* agent) {
    // Only a spline object has a curve to follow; any other linked object gives nothing.
    SplineObject* spline = SplineObject::From(link);
    if (spline == nullptr || behaviour == nullptr || agent == nullptr) return LVector();
    const double capture = behaviour->GetReal(CROWDBEHAV_SPLINE_RADIUS);
    const int32_t end_stop = static_cast<int32_t>(behaviour->GetReal(CROWDBEHAV_SPLINE_END_STOP));

    int32_t cached = spline_cache.Find(spline); // the samples' entry in the cache, or -1
    const GeDynamicArray<SplineNfo>* samples =
        cached >= 0 ? &spline_cache.Samples(cached) : nullptr;
    // Samples that could not be cached serve this call alone.
    GeDynamicArray<SplineNfo> uncached;
    if (samples == nullptr) {
        Sample_Spline_Points(spline, uncached, std::min(agent->size.x, agent->size.z));
        SplineData* profile = static_cast<SplineData*>(
            behaviour->GetCustomDataType(CROWDBEHAV_SPLINE_PROFILE, CustomDataId::SplineCurve));
        for (SplineNfo& sample : uncached)
            sample.weight = profile != nullptr ? profile->GetPoint(sample.t).y : 1.0;
        cached = spline_cache.Add(spline, uncached);
        samples = cached >= 0 ? &spline_cache.Samples(cached) : &uncached;
    }

    const LMatrix spline_mg = spline->GetUpMg() * spline->GetMl();
    const LMatrix to_agent = !agent->parent_mg * spline_mg;
    const int32_t count = samples->GetCount();
    if (count == 0) return LVector();

    const LVector position = agent->mg.off;
    double best = 1e308;
    int32_t nearest = -1;
    if (!spline_cache.FindNearest(cached, to_agent, position, capture, nearest, best)) {
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
