// Behaviour and blend evaluation: which steering terms run for an agent, with which weights,
// and how a blend combines the vectors of the objects it lists.
//
// A behaviour returns the weighted sum of its enabled terms, a blend the combination of its
// entries by its mode; both scale the result to their strength. The blends being evaluated
// are kept in a visited list, so a blend that lists itself (directly or through others) ends:
// its inner occurrence contributes nothing.
#include "plugin/object/CrowdWorld.h"

#include "plugin/geometry/VectorMath.h"
#include "plugin/hostapi/InExcludeData.h"
#include "parameter_ids/ocrowdBlend.h"
#include "parameter_ids/ocrowdbehav.h"
#include "parameter_ids/ocrowdgenerator.h"
#include "parameter_ids/ocrowdworld.h"
#include "plugin/register.h"

#include <cmath>

namespace {

// A blend in "first" mode passes over an entry whose every component is below this
// single-precision constant.
constexpr double kNegligible = 9.999999747378752e-05;

InExcludeData* ListOf(BaseContainer* container, int32_t id) {
    return static_cast<InExcludeData*>(
        container->GetCustomDataType(id, CustomDataId::InExcludeList));
}

// `sum` scaled to `strength`, or (0, 0, 0) for a zero sum.
LVector Scaled(const LVector& sum, double strength) {
    const double length = Len(sum);
    if (length == 0.0) return LVector();
    return sum / length * strength;
}

} // namespace

Crowd_Data* Crowdworld::NextOtherGroup(InExcludeData* others, BaseDocument* doc, Crowd_Data* crowd,
                                       int32_t& i) {
    if (others == nullptr) return nullptr;
    const int32_t count = others->GetObjectCount();
    while (i < count) {
        BaseObject* object = static_cast<BaseObject*>(others->ObjectFromIndex(doc, i++));
        if (object == nullptr) continue;
        const int32_t index = Identify_Crowd(object);
        if (index < 0 || index == crowd->index) continue;
        return &crowds[index];
    }
    return nullptr;
}

// The terms run in a fixed order, each adding to the sum. The other-group parts of alignment,
// cohesion and separation repel the agents of the groups that the generator names, with the
// radius of the term that contains them. Avoidance of other groups adds up the push-outs of
// every group it visits, starting from the own group's when that ran in this evaluation.
Agent_ID_Data Crowdworld::Behav_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                                     BaseContainer* behaviour, int32_t k) {
    Agent_ID_Data result;
    result.direction = BehaviourSteering(op, generator, crowd, behaviour, k);
    return result;
}

LVector Crowdworld::BehaviourSteering(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                                      BaseContainer* behaviour, int32_t k) {
    Agent_ID_Data* agent = &(*crowd->agents)[k];
    const BehaviourSettings& s = behaviour_settings.Read(behaviour);
    const double others_weight = s.others_weight;
    LVector sum;
    // The document and the list of other groups are asked of the host only by the terms that
    // need them, so that the terms of the agents' places alone make no host call (a group
    // updated in waves runs them on the host's threads).
    BaseDocument* doc = nullptr;
    InExcludeData* others = nullptr;
    bool looked_up = false;
    const auto look_up = [&]() {
        if (looked_up) return;
        doc = op->GetDocument();
        others = ListOf(crowd->settings, CROWDGEN_OTHER_GROUPS);
        looked_up = true;
    };

    // Repulsion from every other group with the given radius.
    auto repel_others = [&](const double radius) {
        look_up();
        int32_t i = 0;
        while (Crowd_Data* group = NextOtherGroup(others, doc, crowd, i))
            sum += others_weight * Calc_Repulsion(radius, group, agent);
    };

    if (s.align) {
        const double radius = s.align_radius;
        if (radius > 0.0) sum += s.align_weight * AlignTerm(behaviour, radius, crowd, agent, k);
        if (s.align_repel_others) repel_others(radius);
    }
    if (s.cohesion) {
        const double middle = s.cohesion_middle;
        if (middle > 0.0) {
            sum += s.cohesion_weight * CohesionTerm(behaviour, s, crowd, agent, k);
        }
        if (s.repel_others) repel_others(middle);
    }
    if (s.separation) {
        const double radius = s.separation_radius;
        if (radius > 0.0) sum += s.separation_weight * Calc_Repulsion(radius, crowd, agent);
        if (s.repel_others) repel_others(radius);
    }
    if (s.follow && wave_target_count >= 0) {
        // In waves: the target looked up before them.
        for (int32_t i = 0; i < wave_target_count; ++i) {
            const WaveTarget& wave = wave_targets[i];
            if (wave.behaviour != behaviour) continue;
            if (wave.linked)
                sum += s.follow_weight * FollowPosition(s.follow_range, wave.position, agent);
            break;
        }
    } else if (s.follow) {
        look_up();
        BaseObject* target =
            static_cast<BaseObject*>(behaviour->GetLink(CROWDBEHAV_FOLLOW_TARGET, doc));
        if (target != nullptr) sum += s.follow_weight * Calc_Follow(s.follow_range, target, agent);
    }
    if (s.keep_direction) sum += s.keep_direction_weight * agent->direction;
    if (s.spline) {
        look_up();
        ParameterNode* spline = behaviour->GetLink(CROWDBEHAV_SPLINE_OBJECT, doc);
        if (spline != nullptr) {
            sum += s.spline_weight *
                   Calc_FollowSpline(behaviour, reinterpret_cast<SplineObject*>(spline), agent);
        }
    }
    if (s.collision) {
        const double weight = s.collision_weight;
        BaseContainer* world = op->GetDataInstance();
        InExcludeData* obstacles = world != nullptr ? ListOf(world, CROWDWORLD_OBSTACLES) : nullptr;
        if (weight > 0.0 && obstacles != nullptr && obstacles->GetObjectCount() > 0)
            sum += weight * Calc_Collisions(generator, crowd, agent, obstacles);
    }

    agent->nearest_offset = LVector(10000.0, 10000.0, 10000.0);
    if (s.avoidance) sum += others_weight * Agent_Avoidance(crowd, agent);
    if (s.avoid_others) {
        look_up();
        // Starting from older frames' values instead would let the push-out grow without
        // bound, frame after frame.
        LVector steer = s.avoidance ? agent->avoid_steer : LVector();
        LVector push = s.avoidance ? agent->steer_vector : LVector();
        int32_t i = 0;
        while (Crowd_Data* group = NextOtherGroup(others, doc, crowd, i)) {
            sum += others_weight * Agent_Avoidance(group, agent);
            steer += agent->avoid_steer;
            push += agent->steer_vector;
        }
        agent->avoid_steer = !steer;
        agent->steer_vector = push;
    }

    return Scaled(sum, s.strength);
}

// Mode 1002 sums the entries, 1006 uses the one entry at the index parameter (none when the
// index is out of range), 1003 takes the first entry that is not negligible and 1004 the
// longest one (the earlier on a tie). Any other mode gives (0, 0, 0).
Agent_ID_Data Crowdworld::Blend_Eval(BaseObject* op, BaseObject* generator, Crowd_Data* crowd,
                                     BaseContainer* blend, int32_t k, AtomArray* visited) {
    Agent_ID_Data result;
    BaseDocument* doc = op->GetDocument();
    InExcludeData* list = ListOf(blend, CROWDBLEND_LIST);
    const int32_t mode = blend->GetLong(CROWDBLEND_MODE);
    const double strength = blend->GetReal(CROWDBLEND_STRENGTH);
    const int32_t count = list != nullptr ? list->GetObjectCount() : 0;

    int32_t first = 0;
    int32_t end = count;
    if (mode == CROWDBLEND_MODE_SINGLE) {
        const int32_t index = blend->GetLong(CROWDBLEND_INDEX);
        first = index;
        end = (index < 0 || index >= count) ? index : index + 1;
    }

    LVector combined;
    for (int32_t i = first; i < end; ++i) {
        BaseObject* item = static_cast<BaseObject*>(list->ObjectFromIndex(doc, i));
        int32_t type = 0;
        BaseContainer* container = SteeringParameters(item, type);
        if (container == nullptr) continue;

        LVector sub;
        if (type == CrowdType::Behaviour) {
            sub = BehaviourSteering(op, generator, crowd, container, k);
        } else {
            if (BlendExists(visited, item) || !visited->Append(item)) continue;
            sub = Blend_Eval(op, generator, crowd, container, k, visited).direction;
            visited->Remove(item);
        }

        if (mode == CROWDBLEND_MODE_SUM || mode == CROWDBLEND_MODE_SINGLE) {
            combined += sub;
        } else if (mode == CROWDBLEND_MODE_FIRST) {
            if (std::fabs(sub.x) < kNegligible && std::fabs(sub.y) < kNegligible &&
                std::fabs(sub.z) < kNegligible) {
                continue;
            }
            combined = sub;
            break;
        } else if (mode == CROWDBLEND_MODE_STRONGEST) {
            if (Len(combined) < Len(sub)) combined = sub;
        }
    }

    result.direction = Scaled(combined, strength);
    return result;
}
