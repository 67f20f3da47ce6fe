// The records that the generator and the world share: one agent, one crowd group, one spline
// sample and one cached spline.
//
// They are plain values that hold raw pointers to host objects and own nothing, except the
// sample list inside SplineList_Data. Agent and crowd records are copied as raw bytes. None of
// them is written to a scene file.
#pragma once

#include "abi/CrowdRecordLayout.h"
#include "plugin/geometry/GeDynamicArray.h"
#include "plugin/hostapi/MathTypes.h"

#include <cstddef>
#include <type_traits>

class BaseObject;
class BaseContainer;
class SplineObject;

struct Crowd_Data;

/// One agent of a generator's crew, and also the result of one behaviour evaluation (only
/// `direction` used) and the target of the motion step (only `rotation` used). Lengths are in
/// scene units, speeds in units per second, angles in radians; positions are in the space of
/// the agent's generator.
///
/// Default construction gives zero vectors and identity matrices; the scalars are zero and the
/// pointers null until the generator fills the record.
struct Agent_ID_Data {
    double speed = 0.0;           ///< current speed, within 0 and max_speed
    double acceleration = 0.0;    ///< speed change per second
    double look_ahead = 0.0;      ///< forward reach of the probes and the perception ellipse
    double random_value = 0.0;    ///< per-agent value in [0, 1), a margin on the body radius
    int32_t waiting = 0;          ///< 1 while the agent stands after braking to a stop
    int32_t wait_frames = 0;      ///< frames left to stand
    LVector size;                 ///< body half-extents along the agent's x, y, z (z: body radius)
    LVector direction;            ///< forward unit vector, or (0,0,0)
    LVector rotation;             ///< heading, pitch, bank
    LMatrix global_mg;            ///< global matrix: parent_mg * mg
    LMatrix mg;                   ///< matrix in the generator's space; off is the position
    LMatrix parent_mg;            ///< the generator's global matrix when the agent was created
    BaseObject* object = nullptr; ///< the scene instance that shows the agent, or null
    LVector hit_normal;           ///< unit normal at the last collision-probe hit
    LVector hit_point;            ///< point of the last collision-probe hit
    BaseObject* hit_obstacle = nullptr; ///< obstacle last hit by a collision probe
    double max_speed = 0.0;             ///< top speed
    LVector collision_steer;            ///< steering away from obstacles
    LVector avoid_steer;                ///< steering away from other agents
    LVector extra_velocity;             ///< push-out from obstacles, added each frame
    LVector steer_vector;               ///< push-out from neighbouring agents
    int32_t crowd_index = 0;            ///< index of the agent's group in the world's list
    Crowd_Data* crowd = nullptr;        ///< the agent's crowd group, valid for one frame
    LVector nearest_offset;             ///< offset to the nearest other agent seen
    LMatrix spline_mg;                  ///< the agent's frame on the spline it follows
};

static_assert(std::is_trivially_copyable<Agent_ID_Data>::value,
              "agent records are copied as raw bytes");

/// A generator's crew: one record per agent, in creation order.
typedef GeDynamicArray<Agent_ID_Data> AgentArray;

/// One crowd group as the world sees it: a generator that is a child of the world. The crowd
/// list only zero-fills its new entries, so every field starts at 0 or null there.
struct Crowd_Data {
    int32_t index;           ///< position of this entry in the world's crowd list
    double side_radius;      ///< body radius across the agents' forward axis
    AgentArray* agents;      ///< the generator's agents; null when the child is no generator
    BaseContainer* settings; ///< the generator's parameter container
    BaseObject* generator;   ///< the generator object
};

static_assert(std::is_trivial<Crowd_Data>::value, "crowd entries are zero-filled raw bytes");

template <> struct GeArrayConstructs<Crowd_Data> : std::false_type {};

/// Whether a field of ours holds the same kind of value as the host's field at its place:
/// scalars of one type, our vector and matrix against the host's, a pointer against a pointer.
template <typename Ours, typename Theirs> struct SameFieldKind : std::is_same<Ours, Theirs> {};
template <> struct SameFieldKind<LVector, VtVector> : std::true_type {};
template <> struct SameFieldKind<LMatrix, VtMatrix> : std::true_type {};
template <typename Ours, typename Theirs> struct SameFieldKind<Ours*, Theirs*> : std::true_type {};

/// The host reads agent records and crowd entries in place (VtAgentRecord, VtCrowdEntry,
/// VtRecordArray): any field that moves, changes type or size, or disappears fails the build
/// here.
struct RecordLayoutCheck {
// Pointer fields compare the sizes of pointers on purpose.
// NOLINTBEGIN(bugprone-sizeof-expression)
#define VT_SAME_FIELD(ours, theirs, field)                                                         \
    static_assert(offsetof(ours, field) == offsetof(theirs, field) &&                              \
                      sizeof(ours::field) == sizeof(theirs::field) &&                              \
                      SameFieldKind<decltype(ours::field), decltype(theirs::field)>::value,        \
                  #ours "::" #field " must lie where the host reads it, with the same type")
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, speed);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, acceleration);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, look_ahead);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, random_value);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, waiting);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, wait_frames);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, size);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, direction);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, rotation);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, global_mg);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, mg);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, parent_mg);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, object);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, hit_normal);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, hit_point);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, hit_obstacle);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, max_speed);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, collision_steer);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, avoid_steer);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, extra_velocity);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, steer_vector);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, crowd_index);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, crowd);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, nearest_offset);
    VT_SAME_FIELD(Agent_ID_Data, VtAgentRecord, spline_mg);
    static_assert(sizeof(Agent_ID_Data) == sizeof(VtAgentRecord), "agent record size");

    VT_SAME_FIELD(Crowd_Data, VtCrowdEntry, index);
    VT_SAME_FIELD(Crowd_Data, VtCrowdEntry, side_radius);
    VT_SAME_FIELD(Crowd_Data, VtCrowdEntry, agents);
    VT_SAME_FIELD(Crowd_Data, VtCrowdEntry, settings);
    VT_SAME_FIELD(Crowd_Data, VtCrowdEntry, generator);
    static_assert(sizeof(Crowd_Data) == sizeof(VtCrowdEntry), "crowd entry size");
#undef VT_SAME_FIELD
    // NOLINTEND(bugprone-sizeof-expression)

    static_assert(offsetof(AgentArray, block_) == offsetof(VtRecordArray, block) &&
                      offsetof(AgentArray, capacity_) == offsetof(VtRecordArray, capacity) &&
                      offsetof(AgentArray, front_) == offsetof(VtRecordArray, front) &&
                      offsetof(AgentArray, count_) == offsetof(VtRecordArray, count) &&
                      sizeof(AgentArray) == sizeof(VtRecordArray),
                  "the agent array's header must read as the host's VtRecordArray");
};

/// One sample of a spline, in the spline object's local space.
struct SplineNfo {
    double t = 0.0;      ///< position in its segment: i / (n - 1) for sample i of n
    double weight = 0.0; ///< steering length when this sample is the nearest; set by the follower
    LMatrix mg;          ///< off: the point; v3: the tangent; v1, v2: unnormalised side axes
};

static_assert(std::is_trivially_copyable<SplineNfo>::value,
              "spline samples are copied as raw bytes");

/// One cached spline: the spline object (compared by identity) and its samples in order. The
/// entry owns its sample list; destroying the entry frees it.
struct SplineList_Data {
    SplineObject* spline = nullptr;
    GeDynamicArray<SplineNfo> points;
};
