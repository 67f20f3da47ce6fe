#include "host/jobs/JobPool.h"

#include <algorithm>

namespace vantri {

namespace {

// Set while the thread runs a share, so that a job started from inside one runs inline.
thread_local bool t_in_share = false;

// How often a waiting worker checks for a new job before it sleeps: a few tens of
// microseconds, about the gap between the short jobs of one frame.
constexpr int kSpins = 20000;

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
}

uint64_t cursor(uint64_t generation, uint32_t next) {
    return generation << 32 | next;
}

} // namespace

int32_t machine_threads() {
    const unsigned n = std::thread::hardware_concurrency();
    return n == 0 ? 1 : static_cast<int32_t>(std::min(n, 1024u));
}

JobPool::JobPool(int32_t threads) : threads_(std::max(threads, 1)) {
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

// A share is claimed by moving the cursor past it while the cursor still belongs to the job:
// a worker that saw a job late, after the caller moved on, claims nothing. The job's fields it
// reads may by then be the next job's; the failed claim discards them.
void JobPool::take_shares(int32_t worker, uint64_t generation) {
    t_in_share = true;
    uint64_t seen = cursor_.load(std::memory_order_acquire);
    for (;;) {
        if (seen >> 32 != (generation & 0xffffffffu)) break;
        const int32_t count = count_.load(std::memory_order_relaxed);
        const int32_t grain = grain_.load(std::memory_order_relaxed);
        const VtJobRange share = run_.load(std::memory_order_relaxed);
        void* context = context_.load(std::memory_order_relaxed);
        const auto begin = static_cast<int32_t>(seen & 0xffffffffu);
        if (begin >= count) break;
        const int32_t end = count - begin > grain ? begin + grain : count;
        if (!cursor_.compare_exchange_weak(
                seen, cursor(generation & 0xffffffffu, static_cast<uint32_t>(end)),
                std::memory_order_acq_rel, std::memory_order_acquire)) {
            continue;
        }
        share(context, begin, end, worker);
        done_.fetch_add(end - begin, std::memory_order_acq_rel);
        seen = cursor_.load(std::memory_order_acquire);
    }
    t_in_share = false;
}

void JobPool::worker_main(int32_t worker) {
    uint64_t seen = 0;
    for (;;) {
        uint64_t now = generation_.load(std::memory_order_acquire);
        for (int i = 0; i < kSpins && now == seen; ++i) {
            relax();
            now = generation_.load(std::memory_order_acquire);
        }
        if (now == seen) {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] {
                return stop_.load(std::memory_order_acquire) ||
                       generation_.load(std::memory_order_acquire) != seen;
            });
            now = generation_.load(std::memory_order_acquire);
        }
        if (stop_.load(std::memory_order_acquire)) return;
        seen = now;
        take_shares(worker, now);
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
    const uint64_t generation = generation_.load(std::memory_order_relaxed) + 1;
    count_.store(count, std::memory_order_relaxed);
    grain_.store(grain, std::memory_order_relaxed);
    run_.store(job, std::memory_order_relaxed);
    context_.store(context, std::memory_order_relaxed);
    done_.store(0, std::memory_order_relaxed);
    cursor_.store(cursor(generation & 0xffffffffu, 0), std::memory_order_release);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation_.store(generation, std::memory_order_release);
    }
    wake_.notify_all();
    take_shares(0, generation);
    while (done_.load(std::memory_order_acquire) != count)
        relax();
}

} // namespace vantri
