#include "plugin/object/SteeringSettings.h"

#include "plugin/messages.h"

#include "parameter_ids/ocrowdbehav.h"
#include "plugin/register.h"

BaseContainer* SteeringParameters(BaseObject* item, int32_t& type) {
    if (item == nullptr) return nullptr;
    type = item->GetType();
    if (type != CrowdType::Behaviour && type != CrowdType::Blend) return nullptr;
    VtPrivateData request{0, nullptr};
    item->Message(ObjectMessage::PrivateData, &request);
    return static_cast<BaseContainer*>(request.data);
}

// The behaviour's parameters, read once per frame: they cannot change while the world
// updates its agents, and reading some twenty of them through the host for every agent costs
// more than the terms of a sparse crowd. A frame that uses more behaviours than the table
// holds reads the others for every agent.
const BehaviourSettings& BehaviourSettingsTable::Read(BaseContainer* behaviour) {
    for (int32_t i = 0; i < behaviours_read; ++i) {
        if (behaviour_settings[i].container == behaviour) return behaviour_settings[i];
    }
    BehaviourSettings& s =
        behaviours_read < kBehavioursKept ? behaviour_settings[behaviours_read++] : unkept_settings;
    s.container = behaviour;
    s.strength = behaviour->GetReal(CROWDBEHAV_STRENGTH);
    s.others_weight = behaviour->GetReal(CROWDBEHAV_AVOIDANCE_WEIGHT);
    s.align = behaviour->GetBool(CROWDBEHAV_ALIGN) != 0;
    s.align_weight = behaviour->GetReal(CROWDBEHAV_ALIGN_WEIGHT);
    s.align_radius = behaviour->GetLong(CROWDBEHAV_ALIGN_RADIUS);
    s.align_repel_others = behaviour->GetBool(CROWDBEHAV_ALIGN_REPEL_OTHERS) != 0;
    s.cohesion = behaviour->GetBool(CROWDBEHAV_COHESION) != 0;
    s.cohesion_weight = behaviour->GetReal(CROWDBEHAV_COHESION_WEIGHT);
    s.cohesion_inner = behaviour->GetLong(CROWDBEHAV_COHESION_MIN);
    s.cohesion_middle = behaviour->GetLong(CROWDBEHAV_COHESION_DISTANCE);
    s.cohesion_outer = behaviour->GetLong(CROWDBEHAV_COHESION_MAX);
    s.repel_others = behaviour->GetBool(CROWDBEHAV_REPEL_OTHERS) != 0;
    s.separation = behaviour->GetBool(CROWDBEHAV_SEPARATION) != 0;
    s.separation_weight = behaviour->GetReal(CROWDBEHAV_SEPARATION_WEIGHT);
    s.separation_radius = behaviour->GetLong(CROWDBEHAV_SEPARATION_RADIUS);
    s.follow = behaviour->GetBool(CROWDBEHAV_FOLLOW) != 0;
    s.follow_weight = behaviour->GetReal(CROWDBEHAV_FOLLOW_WEIGHT);
    s.follow_range = behaviour->GetReal(CROWDBEHAV_FOLLOW_DISTANCE);
    s.keep_direction = behaviour->GetBool(CROWDBEHAV_KEEP_DIRECTION) != 0;
    s.keep_direction_weight = behaviour->GetReal(CROWDBEHAV_KEEP_DIRECTION_WEIGHT);
    s.spline = behaviour->GetBool(CROWDBEHAV_SPLINE) != 0;
    s.spline_weight = behaviour->GetReal(CROWDBEHAV_SPLINE_WEIGHT);
    s.collision = behaviour->GetBool(CROWDBEHAV_COLLISION) != 0;
    s.collision_weight = behaviour->GetReal(CROWDBEHAV_COLLISION_WEIGHT);
    s.avoidance = behaviour->GetBool(CROWDBEHAV_AVOIDANCE) != 0;
    s.avoid_others = behaviour->GetBool(CROWDBEHAV_AVOID_OTHERS) != 0;
    return s;
}
