// The lane of the calling thread: which set of query buffers it uses while it runs a share of
// a parallel job.
//
// Structures that keep what their last query found (CellGrid, CrowdNeighbours) keep one such
// state per lane besides their own, so that threads that query the same structure at the same
// time do not share one. Outside a job, or on a structure without lanes, a thread uses the
// structure's own state.
#pragma once

#include <cstdint>

/// The calling thread's lane, or -1 outside a job.
int32_t CurrentLane();

/// Makes `lane` the calling thread's lane for the life of the scope.
class LaneScope {
  public:
    explicit LaneScope(int32_t lane);
    ~LaneScope();
    LaneScope(const LaneScope&) = delete;
    LaneScope& operator=(const LaneScope&) = delete;

  private:
    int32_t previous_;
};
