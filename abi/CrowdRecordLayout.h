/* The layout of the records a generator shares through the private-data request
 * (VT_OBJECT_MESSAGE_PRIVATE_DATA): the requester hands over a crowd entry, the generator
 * writes into it the address of its agent array and of its parameter container, and the
 * requester then reads the agent records in place.
 *
 * The plug-in's own records (Agent_ID_Data, Crowd_Data and the growable array that holds
 * the agents) are checked against these structs at compile time, field by field, so the
 * host's reader and the plug-in cannot drift apart. Plain C, like host_abi.h. */
#ifndef VANTRI_CROWD_RECORD_LAYOUT_H
#define VANTRI_CROWD_RECORD_LAYOUT_H

#include "abi/host_abi.h"

#ifdef __cplusplus
extern "C" {
#endif

/** One agent. Lengths in scene units, speeds per second, angles in radians; positions in the
 *  space of the agent's generator. */
typedef struct VtAgentRecord {
    double speed;
    double acceleration;
    double look_ahead;
    double random_value;
    int32_t waiting;
    int32_t wait_frames;
    VtVector size;
    VtVector direction;
    VtVector rotation; /**< heading, pitch, bank */
    VtMatrix global_mg;
    VtMatrix mg; /**< in the generator's space; off is the agent's position */
    VtMatrix parent_mg;
    VtAtom* object;
    VtVector hit_normal;
    VtVector hit_point;
    VtAtom* hit_obstacle;
    double max_speed;
    VtVector collision_steer;
    VtVector avoid_steer;
    VtVector extra_velocity;
    VtVector steer_vector;
    int32_t crowd_index;
    void* crowd;
    VtVector nearest_offset;
    VtMatrix spline_mg;
} VtAgentRecord;

/** The header of the growable array that holds a generator's agents: the block, its
 *  capacity in records, the free room at its front and the number of records. Record i
 *  stands at block[front + i]. */
typedef struct VtRecordArray {
    VtAgentRecord* block;
    int32_t capacity;
    int32_t front;
    int32_t count;
} VtRecordArray;

/** One crowd entry: the requester zero-fills it, the generator fills agents and settings. */
typedef struct VtCrowdEntry {
    int32_t index;
    double side_radius;
    VtRecordArray* agents;
    VtContainer* settings;
    VtAtom* generator;
} VtCrowdEntry;

#ifdef __cplusplus
}
#endif

#endif /* VANTRI_CROWD_RECORD_LAYOUT_H */
