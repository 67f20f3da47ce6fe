#include "host/jobs/JobPool.h"

#include <algorithm>

namespace vantri {

namespace {

// Set while the thread runs a share, so that a job started from inside one runs inline.
thread_local bool t_in_share = false;

// How often a waiting thread checks for news before it sleeps: a few tens of microseconds.
constexpr int kSpins = 20000;

void relax() {
#if defined(__x86_64__) || defined(__i386__)
    __builtin_ia32_pause();
#else
    std::this_thread::yield();
#endif
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
        generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    for (std::thread& worker : workers_)
        worker.join();
}

void JobPool::take_shares(int32_t worker) {
    t_in_share = true;
    for (;;) {
        const int32_t begin = next_.fetch_add(grain_, std::memory_order_relaxed);
        if (begin >= count_) break;
        run_(context_, begin, count_ - begin > grain_ ? begin + grain_ : count_, worker);
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
                return stop_ || generation_.load(std::memory_order_acquire) != seen;
            });
            now = generation_.load(std::memory_order_acquire);
        }
        if (stop_.load(std::memory_order_acquire)) return;
        seen = now;
        take_shares(worker);
        if (busy_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            std::lock_guard<std::mutex> lock(mutex_);
            done_.notify_one();
        }
    }
}

void JobPool::run(int32_t count, int32_t grain, VtJobRange job, void* context) {
    if (count <= 0 || job == nullptr) return;
    grain = std::max(grain, 1);
    if (t_in_share || workers_.empty() || count <= grain) {
        job(context, 0, count, 0);
        return;
    }
    count_ = count;
    grain_ = grain;
    run_ = job;
    context_ = context;
    next_.store(0, std::memory_order_relaxed);
    busy_.store(static_cast<int32_t>(workers_.size()), std::memory_order_relaxed);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        generation_.fetch_add(1, std::memory_order_release);
    }
    wake_.notify_all();
    take_shares(0);
    for (int i = 0; i < kSpins && busy_.load(std::memory_order_acquire) != 0; ++i)
        relax();
    if (busy_.load(std::memory_order_acquire) != 0) {
        std::unique_lock<std::mutex> lock(mutex_);
        done_.wait(lock, [&] { return busy_.load(std::memory_order_acquire) == 0; });
    }
}

} // namespace vantri
