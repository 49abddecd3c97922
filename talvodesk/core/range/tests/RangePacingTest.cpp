#include "talvodesk/core/range/RangePacing.h"

#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace talvodesk {
namespace {

using std::chrono::milliseconds;

/// Virtual time that also tells when the pacing worker has begun its wait for a given moment, which it does only
/// after it has finished with the tick before.
class PacedClock final : public platform::time::Clock {
public:
    std::chrono::milliseconds steadyNow() const override { return m_clock.steadyNow(); }
    DATE wallNow() const override { return m_clock.wallNow(); }
    bool waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                  std::chrono::milliseconds deadline) override
    {
        {
            const std::lock_guard guard(m_mutex);
            m_latestDeadline = std::max(m_latestDeadline, deadline);
        }
        m_deadlineSeen.notify_all();
        return m_clock.waitOnce(condition, lock, deadline);
    }

    /// Lets the worker handle one more tick: waits until it waits for the next one, then moves time to it.
    void tick()
    {
        const milliseconds next = m_clock.steadyNow() + kPeriod;
        awaitWaitUntil(next);
        m_clock.awaitWaiters(1); // After a restart, the new worker rather than the deadline the old one saw.
        m_clock.advance(kPeriod);
        awaitWaitUntil(next + kPeriod);
    }

    static constexpr milliseconds kPeriod{10};

private:
    void awaitWaitUntil(milliseconds deadline)
    {
        std::unique_lock lock(m_mutex);
        m_deadlineSeen.wait(lock, [&] { return m_latestDeadline >= deadline; });
    }

    platform::time::ManualClock m_clock;
    std::mutex m_mutex;
    std::condition_variable m_deadlineSeen;
    milliseconds m_latestDeadline{0};
};

/// The frame's side: counts the step messages posted to it, failing the first `failures` posts.
struct Frame {
    explicit Frame(int failures = 0) : failuresLeft(failures) {}

    bool post()
    {
        const std::lock_guard guard(mutex);
        ++attempts;
        if (failuresLeft > 0) {
            --failuresLeft;
            return false;
        }
        ++posted;
        return true;
    }
    int postedCount()
    {
        const std::lock_guard guard(mutex);
        return posted;
    }
    int attemptCount()
    {
        const std::lock_guard guard(mutex);
        return attempts;
    }

    std::mutex mutex;
    int failuresLeft;
    int attempts = 0;
    int posted = 0;
};

TEST(RangePacingTest, AtMostOneStepIsPendingWhileTheFrameThreadIsBlocked)
{
    PacedClock clock;
    Frame frame;
    RangePacing pacing(clock, [&] { return frame.post(); });
    ASSERT_TRUE(pacing.StartRangePacing(PacedClock::kPeriod));
    EXPECT_FALSE(pacing.StartRangePacing(PacedClock::kPeriod)) << "the running worker is left alone";

    for (int i = 0; i < 20; ++i) { // The frame's thread is busy for 200 ms.
        clock.tick();
    }
    EXPECT_EQ(1, frame.postedCount());
    EXPECT_EQ(1, frame.attemptCount());

    EXPECT_TRUE(pacing.takeStep());
    clock.tick();
    EXPECT_EQ(2, frame.postedCount()) << "the next tick after the step posts again";

    pacing.setArmed(false); // A step shows a modal dialog.
    EXPECT_TRUE(!pacing.takeStep());
    clock.tick();
    clock.tick();
    EXPECT_EQ(2, frame.postedCount());
}

TEST(RangePacingTest, AFailedPostLeavesNoStepPending)
{
    PacedClock clock;
    Frame frame(/*failures=*/2);
    RangePacing pacing(clock, [&] { return frame.post(); });
    ASSERT_TRUE(pacing.StartRangePacing(PacedClock::kPeriod));
    for (int i = 0; i < 5; ++i) {
        clock.tick();
    }
    EXPECT_EQ(3, frame.attemptCount()) << "two failures, then one step that stays pending";
    EXPECT_EQ(1, frame.postedCount());
}

TEST(RangePacingTest, AStepQueuedAtStopFindsTheSequenceStopped)
{
    PacedClock clock;
    Frame frame;
    RangePacing pacing(clock, [&] { return frame.post(); });
    EXPECT_FALSE(pacing.StopRangePacing());
    ASSERT_TRUE(pacing.StartRangePacing(PacedClock::kPeriod));
    clock.tick();
    ASSERT_EQ(1, frame.postedCount());

    EXPECT_TRUE(pacing.StopRangePacing());
    EXPECT_FALSE(pacing.takeStep()) << "the queued step arrives after the stop";
    EXPECT_FALSE(pacing.StopRangePacing());

    ASSERT_TRUE(pacing.StartRangePacing(PacedClock::kPeriod));
    clock.tick();
    EXPECT_EQ(2, frame.postedCount()) << "a new start forgets the step left pending";
    EXPECT_TRUE(pacing.takeStep());
}

} // namespace
} // namespace talvodesk
