#include "host/jobs/JobPool.h"

#include <algorithm>
#include <chrono>

namespace vantri {

namespace {

// Set while the thread runs a share, so that a job started from inside one runs inline.
thread_local bool t_in_share = false;

// How long a waiting worker looks for a new job before it sleeps: about the gap between the
// short jobs of one frame.
constexpr auto kWorkerSpin = std::chrono::microseconds(50);
// Spins with the pause instruction before a wait starts to yield the core: many when every
// thread of the pool has a core of its own (a yield may hand the core to another program for
// a whole time slice), few when the pool has more threads than the machine has cores (the
// thread waited for may be the one that needs the core).
constexpr int kPausesOnOwnCores = 4096;
constexpr int kPausesOnSharedCores = 64;

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

// One step of a wait: a pause at first, then giving the core to another thread.
void wait_step(int& spins, int pauses) {
    if (spins < pauses) {
        ++spins;
        relax();
    } else {
        std::this_thread::yield();
    }
}

uint64_t cursor(uint32_t generation, uint32_t next) {
    return static_cast<uint64_t>(generation) << 32 | next;
}

} // namespace

int32_t machine_threads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int32_t>(std::min(n, 1024u));
}

JobPool::JobPool(int32_t threads)
    : threads_(std::max(threads, 1)),
      pauses_(threads_ <= machine_threads() ? kPausesOnOwnCores : kPausesOnSharedCores) {
    workers_.reserve(static_cast<size_t>(threads_ - 1));
    for (int32_t worker = 1; worker < threads_; ++worker)
        workers_.emplace_back([this, worker] { worker_main(worker); });
}

JobPool::~JobPool() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_.store(true, std::memory_order_release);
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

// A share is claimed by moving the cursor past it while the cursor still carries the job's
// generation: a worker that copied a job late, after the caller moved on, claims nothing.
void JobPool::take_shares(int32_t worker, const Job& job) {
    t_in_share = true;
    uint64_t seen = cursor_.load(std::memory_order_acquire);
    for (;;) {
        if (static_cast<uint32_t>(seen >> 32) != job.generation) break;
        const auto begin = static_cast<int32_t>(seen & 0xffffffffu);
        if (begin >= job.count) break;
        const int32_t end = job.count - begin > job.grain ? begin + job.grain : job.count;
        if (!cursor_.compare_exchange_weak(seen, cursor(job.generation, static_cast<uint32_t>(end)),
                                           std::memory_order_acq_rel, std::memory_order_acquire))
            continue;
        job.run(job.context, begin, end, worker);
        done_.fetch_add(end - begin, std::memory_order_acq_rel);
        seen = cursor_.load(std::memory_order_acquire);
    }
    t_in_share = false;
}

void JobPool::worker_main(int32_t worker) {
    uint32_t seen = 0;
    for (;;) {
        const auto until = std::chrono::steady_clock::now() + kWorkerSpin;
        int spins = 0;
        while (generation_.load(std::memory_order_acquire) == seen &&
               !stop_.load(std::memory_order_acquire) &&
               (spins < pauses_ || std::chrono::steady_clock::now() < until))
            wait_step(spins, pauses_);
        Job job;
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] {
                return stop_.load(std::memory_order_relaxed) ||
                       generation_.load(std::memory_order_relaxed) != seen;
            });
            if (stop_.load(std::memory_order_relaxed)) return;
            job = job_;
        }
        seen = job.generation;
        take_shares(worker, job);
    }
}

// The caller takes shares too, and then waits only for the shares other threads claimed: a
// worker that is slow to wake (the machine is busy) finds the job done and claims nothing.
void JobPool::run(int32_t count, int32_t grain, VtJobRange job, void* context) {
    if (count <= 0 || job == nullptr) return;
    grain = std::max(grain, 1);
    if (t_in_share || workers_.empty() || count <= grain) {
        job(context, 0, count, 0);
        return;
    }
    Job current;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        current = Job{job_.generation + 1, count, grain, job, context};
        job_ = current;
        done_.store(0, std::memory_order_relaxed);
        cursor_.store(cursor(current.generation, 0), std::memory_order_release);
        generation_.store(current.generation, std::memory_order_release);
    }
    wake_.notify_all();
    take_shares(0, current);
    int spins = 0;
    while (done_.load(std::memory_order_acquire) != count)
        wait_step(spins, pauses_);
}

} // namespace vantri
