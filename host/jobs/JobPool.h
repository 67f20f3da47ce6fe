// JobPool: the host's threads for the plug-in's parallel jobs (VtJobTable).
//
// A pool of N threads is the calling thread plus N - 1 workers that wait between jobs. A job
// is cut into shares of `grain` items that the threads claim in turn from a shared cursor
// until none is left; the caller claims shares too and returns once every share is done, so a
// job never waits for a worker that has not woken yet. Between jobs a worker first spins
// briefly, since a frame runs many short jobs one after another, then sleeps until the next
// job or the pool's end. Waits yield the core after a few spins, so that more threads than
// cores (or a busy machine) only slow a job down.
#pragma once

#include "abi/host_abi.h"

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

namespace vantri {

class JobPool {
  public:
    /// A pool of `threads` threads (at least 1), the caller's included.
    explicit JobPool(int32_t threads);
    ~JobPool();
    JobPool(const JobPool&) = delete;
    JobPool& operator=(const JobPool&) = delete;

    int32_t threads() const { return threads_; }
    /// Runs `run` over 0 to count-1 in shares of `grain` items and returns when all are done.
    /// Called from inside a share, runs everything on the calling thread.
    void run(int32_t count, int32_t grain, VtJobRange job, void* context);

  private:
    /// One job as the threads see it. A worker copies it under the mutex, so the fields it
    /// works with always belong to one job, whichever job the caller has moved on to since.
    struct Job {
        uint32_t generation = 0;
        int32_t count = 0;
        int32_t grain = 1;
        VtJobRange run = nullptr;
        void* context = nullptr;
    };

    void worker_main(int32_t worker);
    void take_shares(int32_t worker, const Job& job);

    int32_t threads_;
    int pauses_; ///< pauses before a wait yields the core
    std::vector<std::thread> workers_;
    std::mutex mutex_; ///< guards job_ and stop_'s change, and the sleepers' wait
    std::condition_variable wake_;
    Job job_;
    std::atomic<bool> stop_{false};
    std::atomic<uint32_t> generation_{0}; ///< the current job's, bumped for every job
    /// The current job's generation (high 32 bits) and its first item not yet claimed: a share
    /// is claimed only while the cursor still carries the claimer's generation.
    std::atomic<uint64_t> cursor_{0};
    std::atomic<int32_t> done_{0}; ///< items of the current job done
};

/// The number of threads the machine runs at once (at least 1).
int32_t machine_threads();

} // namespace vantri
