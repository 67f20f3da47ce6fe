// The host's job pool under a stream of jobs of changing sizes, grains and contexts, on more
// threads than the machine has cores: every item of every job runs exactly once, on a valid
// lane, with its own job's context, before `run` returns; a job started inside a share runs
// inline. A worker that wakes late for one job must never claim items with the next job's
// size or run the next job's function.
#include "host/jobs/JobPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <random>
#include <vector>

namespace {

struct CountedJob {
    vantri::JobPool* pool = nullptr;
    int32_t threads = 0;
    int32_t id = 0;
    std::vector<std::atomic<int32_t>> runs; ///< how often each item ran
    std::atomic<int32_t> wrong{0};          ///< shares with a bad range or lane
    std::atomic<int32_t> nested{0};         ///< items of the nested job that ran

    CountedJob(vantri::JobPool& on, int32_t job, int32_t count)
        : pool(&on), threads(on.threads()), id(job), runs(static_cast<size_t>(count)) {}
};

void count_items(void* context, int32_t begin, int32_t end, int32_t lane) {
    auto& job = *static_cast<CountedJob*>(context);
    const auto count = static_cast<int32_t>(job.runs.size());
    if (begin < 0 || end > count || begin >= end || lane < 0 || lane >= job.threads) {
        job.wrong.fetch_add(1);
        return;
    }
    for (int32_t i = begin; i < end; ++i)
        job.runs[static_cast<size_t>(i)].fetch_add(1, std::memory_order_relaxed);
}

void count_nested(void* context, int32_t begin, int32_t end, int32_t) {
    static_cast<CountedJob*>(context)->nested.fetch_add(end - begin);
}

void count_with_nested(void* context, int32_t begin, int32_t end, int32_t lane) {
    auto& job = *static_cast<CountedJob*>(context);
    count_items(context, begin, end, lane);
    job.pool->run(5, 1, count_nested, context);
}

TEST(JobPoolTest, EveryItemOfEveryJobRunsOnceWhateverTheThreadsAndTheJobSizes) {
    std::mt19937 random(12345);
    for (int32_t threads : {2, 3, 8}) {
        vantri::JobPool pool(threads);
        for (int32_t id = 0; id < 4000; ++id) {
            // Small and large jobs alternate, so that a late worker meets a larger job.
            const int32_t count = id % 2 == 0 ? 1 + static_cast<int32_t>(random() % 8)
                                              : 1 + static_cast<int32_t>(random() % 3000);
            const int32_t grain = 1 + static_cast<int32_t>(random() % 64);
            const bool nest = id % 97 == 0;
            auto job = std::make_unique<CountedJob>(pool, id, count);
            pool.run(count, grain, nest ? count_with_nested : count_items, job.get());
            ASSERT_EQ(job->wrong.load(), 0) << threads << " threads, job " << id;
            for (int32_t i = 0; i < count; ++i)
                ASSERT_EQ(job->runs[static_cast<size_t>(i)].load(), 1)
                    << threads << " threads, job " << id << " of " << count << ", item " << i;
            if (nest) {
                const int32_t shares = count <= grain ? 1 : (count + grain - 1) / grain;
                EXPECT_EQ(job->nested.load(), 5 * shares) << threads << " threads, job " << id;
            }
        }
    }
}

} // namespace
