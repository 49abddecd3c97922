#include "platform/kernel/Thread.h"

#include "platform/testing/Matchers.h"
#include "platform/time/ManualClock.h"

#include <atomic>

namespace platform::kernel {
namespace {

using namespace std::chrono_literals;

constexpr auto kBound = 30s;

TEST(ThreadTest, DestructionSetsTheStopEventAndWaitsForTheBody)
{
    Event running(EventReset::Manual);
    std::atomic<bool> sawStop = false;
    std::atomic<bool> returned = false;
    {
        auto thread = Thread::start([&](Event& stopEvent) {
            running.set();
            sawStop = stopEvent.wait(kBound);
            returned = true;
        });
        ASSERT_THAT(thread, IsOk());
        ASSERT_TRUE(running.wait(kBound));
        EXPECT_FALSE(thread.value()->isCurrentThread());
    }
    EXPECT_TRUE(sawStop);
    EXPECT_TRUE(returned);
}

TEST(ThreadTest, PacingLoopTicksOnItsClockUntilStopped)
{
    // The shape of the pacing and replay threads: wait on the stop event for one period, work on each time-out.
    time::ManualClock clock;
    std::atomic<int> ticks = 0;
    Event ticked(EventReset::Auto);
    auto pacer = Thread::start([&](Event& stopEvent) {
        while (!stopEvent.wait(10ms, clock)) {
            ++ticks;
            ticked.set();
        }
    });
    ASSERT_THAT(pacer, IsOk());

    clock.awaitWaiters(1);
    clock.advance(10ms);
    ASSERT_TRUE(ticked.wait(kBound));
    clock.awaitWaiters(1);
    clock.advance(9ms);
    EXPECT_EQ(1, ticks);

    Thread* const pacerThread = pacer.value().get();
    auto stopper = Thread::start([pacerThread](Event&) { pacerThread->requestStop(); });
    ASSERT_THAT(stopper, IsOk());
    stopper.value().reset();
    pacer.value().reset();
    EXPECT_EQ(1, ticks);
}

TEST(ThreadTest, DestroyingAThreadOnItselfIsCaughtInDebugBuilds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_DEBUG_DEATH(
        {
            Event done(EventReset::Manual);
            std::unique_ptr<Thread> self;
            Event handedOver(EventReset::Manual);
            auto thread = Thread::start([&](Event&) {
                (void)handedOver.wait(kBound);
                self.reset();
                done.set();
            });
            if (thread) {
                self = std::move(thread).value();
                handedOver.set();
                (void)done.wait(kBound);
            }
        },
        "own thread");
}

} // namespace
} // namespace platform::kernel
