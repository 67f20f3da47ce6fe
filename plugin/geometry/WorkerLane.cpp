#include "plugin/geometry/WorkerLane.h"

namespace {

thread_local int32_t t_lane = -1;

} // namespace

int32_t CurrentLane() {
    return t_lane;
}

LaneScope::LaneScope(int32_t lane) : previous_(t_lane) {
    t_lane = lane;
}

LaneScope::~LaneScope() {
    t_lane = previous_;
}
