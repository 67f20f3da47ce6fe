// FrameSchedule: the order in which a crowd group's agents may be updated at the same time.
//
// The world updates a group's agents in array order, and an agent reads the places of the
// agents around it: those updated before it where they now stand, the others where they
// stood. Two agents that stand far enough apart cannot see each other in this frame, so they
// may be updated at the same time in either order. The schedule links every agent to the
// earlier agents within a reach (what it or they read, widened by the most an agent may move
// in the frame) and groups the agents in waves: an agent's wave comes after the waves of all
// earlier agents it is linked to. The threads update one wave at a time, and every agent then
// sees exactly what it sees in array order.
//
// The schedule's memory is taken on the calling thread before the threads start, and kept
// from frame to frame; the threads take none.
#pragma once

#include "plugin/geometry/CrowdRecords.h"

#include <cstdint>

/// What an agent's update may change, kept so that an update in waves can be undone.
struct AgentUndo {
    LVector off;
    LVector rotation;
    LVector steer_vector;
    LVector avoid_steer;
    LVector nearest_offset;
    double speed;
    int32_t waiting;
    int32_t wait_frames;
};

class FrameSchedule {
  public:
    FrameSchedule() = default;
    ~FrameSchedule();
    FrameSchedule(const FrameSchedule&) = delete;
    FrameSchedule& operator=(const FrameSchedule&) = delete;

    /// The most earlier agents one agent may be linked to; a group with more is updated in
    /// array order.
    static constexpr int32_t kMostLinks = 32;

    /// Room for a group of `agents`; false when memory is short.
    bool Reserve(int32_t agents);
    void Free();

    int32_t* links = nullptr;      ///< kMostLinks per agent: the earlier agents it waits for
    int32_t* link_count = nullptr; ///< per agent; -1 when it has more than kMostLinks
    int32_t* wave = nullptr;       ///< per agent: its wave
    int32_t* order = nullptr;      ///< the agents wave after wave, ascending within a wave
    int32_t* wave_start = nullptr; ///< per wave (and one past the last): its first in `order`
    uint8_t* draws = nullptr;      ///< per agent: 1 when its wait time is still to be drawn
    AgentUndo* undo = nullptr;     ///< per agent: what it was before the update
    double* around = nullptr;      ///< per agent: how far around it it reads
    double* ahead = nullptr;       ///< per agent: how far ahead its avoidance reads, or -1
    double* move = nullptr;        ///< per agent: the most it may move in the frame
    int32_t capacity = 0;
};

/// How the worlds of the process have updated their groups (VT_CROWD_MESSAGE_SCHEDULE_COUNTS).
VtScheduleCounts& ScheduleCounts();
