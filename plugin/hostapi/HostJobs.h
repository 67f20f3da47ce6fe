// The host's threads: a parallel loop over numbered items (VtJobTable).
#pragma once

#include "abi/host_abi.h"

#include <cstdint>

class HostJobs {
  public:
    /// The threads the host runs jobs on; 1 when it offers none.
    static int32_t ThreadCount();
    /// Runs `run` over the items 0 to count-1 in shares of about `grain`, on the host's
    /// threads, and returns once all are done; on the calling thread alone when the host
    /// offers no threads.
    static void ParallelFor(int32_t count, int32_t grain, VtJobRange run, void* context);
    /// The same for `work(begin, end)`, which must not throw.
    template <typename Work> static void ParallelFor(int32_t count, int32_t grain, Work& work) {
        const VtJobRange run = [](void* context, int32_t begin, int32_t end, int32_t) {
            (*static_cast<Work*>(context))(begin, end);
        };
        ParallelFor(count, grain, run, &work);
    }
    /// Whether the shares of a job may move objects through BaseObject's GetMl, SetMl,
    /// GetRelRot and SetRelRot, each share objects of its own; false when the host offers no
    /// threads or does not say so.
    static bool SharesMoveObjects();
};
