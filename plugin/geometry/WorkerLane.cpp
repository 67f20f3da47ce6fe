#include "plugin/geometry/WorkerLane.h"

namespace {

// The initial-exec model reads the variable at a fixed offset from the thread pointer: no
// call into the dynamic loader, so the module needs no library beyond the runtimes. The host
// loads the module once, and four bytes fit the room the loader keeps for such modules.
__attribute__((tls_model("initial-exec"))) thread_local int32_t t_lane = -1;

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
