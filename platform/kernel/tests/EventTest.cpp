#include "platform/kernel/Event.h"
#include "platform/kernel/Thread.h"

#include "platform/testing/Matchers.h"

#include <atomic>
#include <vector>

namespace platform::kernel {
namespace {

using namespace std::chrono_literals;

// Long enough never to expire on a loaded machine; the tests only wait this long when they fail.
constexpr auto kBound = 30s;

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

TEST(EventTest, SetFromAnotherThreadReleasesAWaiter)
{
    Event started(EventReset::Manual);
    Event go(EventReset::Manual);
    std::atomic<bool> released = false;
    {
        auto thread = Thread::start([&](Event&) {
            started.set();
            released = go.wait(kBound);
        });
        ASSERT_THAT(thread, IsOk());
        ASSERT_TRUE(started.wait(kBound));
        go.set();
    }
    EXPECT_TRUE(released);
}

TEST(EventTest, ManualEventReleasesEveryWaiterAutoEventOnlyOne)
{
    struct Case {
        const char* name;
        EventReset reset;
        std::chrono::milliseconds bound;
        int released;
    };
    // The waiters of the auto-reset case that get nothing time out; whether set() comes before or after they
    // begin to wait, exactly one of them takes it.
    const Case cases[] = {
        {"manual", EventReset::Manual, kBound, 4},
        {"auto", EventReset::Auto, 100ms, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Event event(c.reset);
        std::atomic<int> released = 0;
        {
            std::vector<std::unique_ptr<Thread>> waiters;
            for (int i = 0; i < 4; ++i) {
                auto thread = Thread::start([&](Event&) {
                    if (event.wait(c.bound)) {
                        ++released;
                    }
                });
                ASSERT_THAT(thread, IsOk());
                waiters.push_back(std::move(thread).value());
            }
            event.set();
        }
        EXPECT_EQ(c.released, released);
    }
}

} // namespace
} // namespace platform::kernel
