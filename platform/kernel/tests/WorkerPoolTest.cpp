#include "platform/kernel/WorkerPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>
#include <vector>

namespace platform::kernel {
namespace {

TEST(WorkerPoolTest, EveryJobRunsOnceBeforeRunReturns)
{
    for (const std::size_t threads : {1u, 2u, 4u}) {
        SCOPED_TRACE(threads);
        WorkerPool pool(threads);
        EXPECT_EQ(threads, pool.threads());
        for (const std::size_t count : {0u, 1u, 3u, 200u}) {
            std::vector<std::atomic<int>> runs(count);
            std::vector<WorkerPool::Job> jobs;
            for (std::size_t i = 0; i < count; ++i) {
                jobs.emplace_back([&runs, i] { ++runs[i]; });
            }
            pool.run(jobs);
            for (const std::atomic<int>& ran : runs) {
                EXPECT_EQ(1, ran.load());
            }
        }
    }
}

TEST(WorkerPoolTest, SlowJobsShareTheThreadsAndTheCallerWaitsForThem)
{
    WorkerPool pool(4);
    std::mutex mutex;
    std::set<std::thread::id> ran;
    std::atomic<int> done = 0;
    std::vector<WorkerPool::Job> jobs(16, [&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        {
            const std::lock_guard guard(mutex);
            ran.insert(std::this_thread::get_id());
        }
        ++done;
    });
    pool.run(jobs);
    EXPECT_EQ(16, done.load());
    EXPECT_LT(1u, ran.size());
}

} // namespace
} // namespace platform::kernel
