// Reading a generator's agent records the way the world reads them: the host sends the
// generator the private-data request (message 23) with a crowd entry, and the generator
// writes the address of its agent array into it.
//
// The host does not include the plug-in's headers; the mirrors below repeat the layout of
// the plug-in's records (one agent, one crowd entry, the growable array's header) and their
// sizes and offsets are checked here and, against the plug-in's own structs, in a unit test.
#pragma once

#include "scene/SceneObject.h"

#include <cstddef>
#include <vector>

namespace vantri {

/// The private-data request.
constexpr int32_t kPrivateDataMessage = 23;

/// One agent record as the plug-in lays it out.
struct AgentRecordMirror {
    double speed;
    double acceleration;
    double look_ahead;
    double random_value;
    int32_t waiting;
    int32_t wait_frames;
    VtVector size;
    VtVector direction;
    VtVector rotation; ///< heading, pitch, bank in radians
    VtMatrix global_mg;
    VtMatrix mg; ///< in the generator's space; off is the agent's position
    VtMatrix parent_mg;
    void* object;
    VtVector hit_normal;
    VtVector hit_point;
    void* hit_obstacle;
    double max_speed;
    VtVector collision_steer;
    VtVector avoid_steer;
    VtVector extra_velocity;
    VtVector steer_vector;
    int32_t crowd_index;
    void* crowd;
    VtVector nearest_offset;
    VtMatrix spline_mg;
};

static_assert(sizeof(AgentRecordMirror) == 704, "agent record size");
static_assert(offsetof(AgentRecordMirror, waiting) == 32, "agent record layout");
static_assert(offsetof(AgentRecordMirror, rotation) == 88, "agent record layout");
static_assert(offsetof(AgentRecordMirror, mg) == 208, "agent record layout");
static_assert(offsetof(AgentRecordMirror, max_speed) == 464, "agent record layout");
static_assert(offsetof(AgentRecordMirror, crowd) == 576, "agent record layout");

/// The header of the plug-in's growable array: the block, its capacity, the free room at
/// its front and the number of records.
struct RecordArrayMirror {
    void* block;
    int32_t capacity;
    int32_t front;
    int32_t count;
};

static_assert(sizeof(RecordArrayMirror) == 24, "array header size");

/// One crowd entry as the world lays it out; the generator fills `agents` and `settings`.
struct CrowdEntryMirror {
    int32_t index;
    double side_radius;
    RecordArrayMirror* agents;
    void* settings;
    void* generator;
};

static_assert(sizeof(CrowdEntryMirror) == 40, "crowd entry size");
static_assert(offsetof(CrowdEntryMirror, agents) == 16, "crowd entry layout");

/// The records of `generator` as it answers the private-data request now, in array order;
/// `answered` tells whether it answered at all.
std::vector<AgentRecordMirror> read_agent_records(SceneObject& generator, bool* answered = nullptr);

} // namespace vantri
