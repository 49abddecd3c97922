#include "platform/kernel/Event.h"
#include "platform/kernel/Thread.h"

#include "platform/testing/Matchers.h"
#include "platform/time/ManualClock.h"

#include <atomic>
#include <vector>

namespace platform::kernel {
namespace {

using namespace std::chrono_literals;

TEST(EventTest, StartsUnsetAndPollingDoesNotWait)
{
    for (const EventReset reset : {EventReset::Manual, EventReset::Auto}) {
        SCOPED_TRACE(reset == EventReset::Manual ? "manual" : "auto");
        Event event(reset);
        EXPECT_FALSE(event.wait(0ms));
        EXPECT_FALSE(event.wait(-5ms));
    }
}

TEST(EventTest, ResetModeDecidesWhetherAWaitConsumesTheEvent)
{
    struct Case {
        const char* name;
        EventReset reset;
        bool secondWait;
    };
    const Case cases[] = {
        {"manual stays set", EventReset::Manual, true},
        {"auto is consumed", EventReset::Auto, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Event event(c.reset);
        event.set();
        EXPECT_TRUE(event.wait(0ms));
        EXPECT_EQ(c.secondWait, event.wait(0ms));
        event.set();
        event.reset();
        EXPECT_FALSE(event.wait(0ms));
    }
}

TEST(EventTest, WaitTimesOutWhenItsClockReachesTheDeadline)
{
    time::ManualClock clock;
    Event event(EventReset::Manual);
    std::atomic<int> result = -1;
    auto waiter = Thread::start([&](Event&) { result = event.wait(100ms, clock); });
    ASSERT_THAT(waiter, IsOk());

    clock.awaitWaiters(1);
    clock.advance(99ms);
    clock.awaitWaiters(1);
    EXPECT_EQ(-1, result);
    clock.advance(1ms);
    waiter.value().reset();
    EXPECT_EQ(0, result);
}

TEST(EventTest, SetEndsAWaitOnAClockThatStandsStill)
{
    time::ManualClock clock;
    Event event(EventReset::Auto);
    std::atomic<int> result = -1;
    auto waiter = Thread::start([&](Event&) { result = event.wait(100ms, clock); });
    ASSERT_THAT(waiter, IsOk());

    clock.awaitWaiters(1);
    event.set();
    waiter.value().reset();
    EXPECT_EQ(1, result);
    EXPECT_FALSE(event.wait(0ms, clock));
}

TEST(EventTest, ManualEventReleasesEveryWaiterAutoEventOnlyOne)
{
    struct Case {
        const char* name;
        EventReset reset;
        int released;
    };
    const Case cases[] = {
        {"manual", EventReset::Manual, 4},
        {"auto", EventReset::Auto, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        time::ManualClock clock;
        Event event(c.reset);
        std::atomic<int> released = 0;
        {
            std::vector<std::unique_ptr<Thread>> waiters;
            for (int i = 0; i < 4; ++i) {
                auto thread = Thread::start([&](Event&) {
                    if (event.wait(1h, clock)) {
                        ++released;
                    }
                });
                ASSERT_THAT(thread, IsOk());
                waiters.push_back(std::move(thread).value());
            }
            clock.awaitWaiters(4);
            event.set();
            // Ends the waits that got nothing.
            clock.advance(1h);
        }
        EXPECT_EQ(c.released, released);
    }
}

} // namespace
} // namespace platform::kernel
