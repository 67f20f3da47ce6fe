// SteeringSettings: what the objects of a generator's behaviour list ask of the world.
//
// The list holds behaviours and blends; each answers the private-data request with its
// parameter container. A behaviour's parameters cannot change while the world updates its
// agents, so they are read once per frame, into a small table.
#pragma once

#include "plugin/hostapi/PluginApi.h"

/// A behaviour's parameters as the evaluation uses them (radii converted to double).
struct BehaviourSettings {
    const BaseContainer* container = nullptr; ///< whose parameters these are
    double strength = 0.0;
    double others_weight = 0.0; ///< the weight of avoidance and of the other-group parts
    bool align = false;
    bool align_repel_others = false;
    bool cohesion = false;
    bool repel_others = false;
    bool separation = false;
    bool follow = false;
    bool keep_direction = false;
    bool spline = false;
    bool collision = false;
    bool avoidance = false;
    bool avoid_others = false;
    double align_weight = 0.0;
    double align_radius = 0.0;
    double cohesion_weight = 0.0;
    double cohesion_inner = 0.0;
    double cohesion_middle = 0.0;
    double cohesion_outer = 0.0;
    double separation_weight = 0.0;
    double separation_radius = 0.0;
    double follow_weight = 0.0;
    double follow_range = 0.0;
    double keep_direction_weight = 0.0;
    double spline_weight = 0.0;
    double collision_weight = 0.0;
};

/// An object of a generator's behaviour list with the parameter container it answers (null
/// for anything but a behaviour or blend) and its type.
struct SteeringItem {
    BaseObject* item = nullptr;
    BaseContainer* container = nullptr;
    int32_t type = 0;
};

/// The parameter container of a behaviour or blend, asked for with the private-data request;
/// null for any other object or when none comes back. `type` gets its type.
BaseContainer* SteeringParameters(BaseObject* item, int32_t& type);

/// The settings of the behaviours read in the current frame.
class BehaviourSettingsTable {
  public:
    /// Starts a frame: every behaviour is read again on its first use.
    void Reset() { behaviours_read = 0; }
    /// The parameters of `behaviour` as read at its first use in this frame, or read now
    /// when the table of the frame is full (valid until the next call).
    const BehaviourSettings& Read(BaseContainer* behaviour);
    /// Whether the table holds `behaviour`'s settings: Read then only looks them up.
    bool Holds(const BaseContainer* behaviour) const {
        for (int32_t i = 0; i < behaviours_read; ++i) {
            if (behaviour_settings[i].container == behaviour) return true;
        }
        return false;
    }

  private:
    static constexpr int32_t kBehavioursKept = 8;
    BehaviourSettings behaviour_settings[kBehavioursKept]; ///< read in the current frame
    int32_t behaviours_read = 0;                           ///< entries in use
    BehaviourSettings unkept_settings; ///< a behaviour read when the table is full
};
