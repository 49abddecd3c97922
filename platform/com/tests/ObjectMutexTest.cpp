#include "platform/com/ObjectMutex.h"

#include <gtest/gtest.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

using platform::com::ObjectMutex;

namespace {

TEST(ObjectMutexTest, ContendingThreadsLoseNoUpdatesUnderNestedHolds)
{
    // Plain counters: an update lost, or one made while another thread holds the mutex, shows in the totals (and
    // to ThreadSanitizer). The step after the inner unlock proves that unlock kept the mutex held.
    ObjectMutex mutex;
    long total = 0;
    long insideInner = 0;
    constexpr int kThreads = 4;
    constexpr int kRounds = 20000;
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < kRounds; ++i) {
                std::unique_lock outer(mutex);
                const long before = total;
                {
                    std::unique_lock inner(mutex);
                    std::unique_lock innermost(mutex);
                    ++insideInner;
                }
                total = before + 1;
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    EXPECT_EQ(kThreads * kRounds, total);
    EXPECT_EQ(kThreads * kRounds, insideInner);
}

TEST(ObjectMutexTest, AWaitingThreadGetsItOnlyAfterTheOutermostUnlock)
{
    ObjectMutex mutex;
    std::atomic<bool> started = false;
    std::atomic<bool> released = false;
    bool sawRelease = false;
    mutex.lock();
    mutex.lock();
    std::thread waiter([&] {
        started = true;
        started.notify_one();
        std::unique_lock guard(mutex);
        sawRelease = released.load(std::memory_order_relaxed);
    });
    started.wait(false);
    mutex.unlock();
    released.store(true, std::memory_order_relaxed);
    mutex.unlock();
    waiter.join();
    EXPECT_TRUE(sawRelease);
}

} // namespace
