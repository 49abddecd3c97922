#include "platform/time/Clock.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <thread>

using namespace platform::time;
using namespace std::chrono_literals;

namespace {

/// A flag and a timed wait on it, as a pacing or replay thread would keep them.
struct Waiter {
    explicit Waiter(Clock& clock) : condition(clock) {}

    bool waitFor(std::chrono::milliseconds timeout)
    {
        std::unique_lock lock(mutex);
        return condition.waitFor(lock, timeout, [&] { return flag; });
    }
    void set()
    {
        {
            const std::lock_guard lock(mutex);
            flag = true;
        }
        condition.notifyAll();
    }

    std::mutex mutex;
    ClockCondition condition;
    bool flag = false;
};

TEST(ClockTest, ManualClockWaitOutlastsAnAdvanceShortOfTheDeadline)
{
    ManualClock clock;
    Waiter waiter(clock);
    bool result = false;
    std::thread thread([&] { result = waiter.waitFor(100ms); });
    clock.awaitWaiters(1);
    clock.advance(99ms);
    waiter.set();
    thread.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(99ms, clock.steadyNow());
}

TEST(ClockTest, ManualClockWaitEndsWhenTheConditionHolds)
{
    ManualClock clock;
    Waiter waiter(clock);
    bool result = false;
    std::thread thread([&] { result = waiter.waitFor(1h); });
    clock.awaitWaiters(1);
    waiter.set();
    thread.join();
    EXPECT_TRUE(result);
    EXPECT_EQ(0ms, clock.steadyNow());
}

TEST(ClockTest, ManualClockTimesOutTheWaitsWhoseDeadlineItReaches)
{
    ManualClock clock;
    Waiter shortWait(clock);
    Waiter longWait(clock);
    bool shortResult = true;
    bool longResult = false;
    std::thread first([&] { shortResult = shortWait.waitFor(10ms); });
    std::thread second([&] { longResult = longWait.waitFor(50ms); });
    clock.awaitWaiters(2);
    clock.advance(10ms);
    first.join();
    longWait.set();
    second.join();
    EXPECT_FALSE(shortResult);
    EXPECT_TRUE(longResult);
}

TEST(ClockTest, ManualClockMovesWallTimeWithSteadyTime)
{
    ManualClock clock(-1.25);
    EXPECT_DOUBLE_EQ(-1.25, clock.wallNow());
    clock.advance(18h);
    EXPECT_DOUBLE_EQ(0.0, clock.wallNow());
}

TEST(ClockTest, SystemClockWaitReturnsAtOnceWhenReadyOrPastTheDeadline)
{
    SystemClock clock;
    Waiter waiter(clock);
    EXPECT_FALSE(waiter.waitFor(0ms));
    EXPECT_FALSE(waiter.waitFor(-5ms));
    waiter.set();
    EXPECT_TRUE(waiter.waitFor(1h));
}

TEST(ClockTest, SystemClockWaitIsWokenByNotify)
{
    SystemClock clock;
    Waiter waiter(clock);
    std::thread thread([&] { waiter.set(); });
    EXPECT_TRUE(waiter.waitFor(1h));
    thread.join();
}

} // namespace
