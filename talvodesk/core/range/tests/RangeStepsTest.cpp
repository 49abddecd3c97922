#include "talvodesk/core/range/RangeSteps.h"

#include "talvodesk/core/options/StringTable.h"

#include "talvodata/ShotCollection.h"
#include "talvodata/tests/support/FakeEvent.h"
#include "talvodata/tests/support/ShotBuilder.h"

#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

using std::chrono::milliseconds;

class RangeStepsTest : public ::testing::Test {
protected:
    platform::com::ComPtr<talvodata::CShotCollection> shots(int count)
    {
        auto collection = talvodata::CShotCollection::create();
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(S_OK, collection->Add(talvodata::testing::ShotBuilder(m_event.get()).samples(3).build().get()));
        }
        return collection;
    }

    platform::time::ManualClock m_clock{/*wall=*/46000.25};
    std::u16string m_status = u"untouched";
    RangeSteps m_steps{m_clock, &StringTable::englishText, [this](const std::u16string& text) { m_status = text; }};
    platform::com::ComPtr<talvodata::testing::FakeEvent> m_event =
        platform::com::makeComObject<talvodata::testing::FakeEvent>();
};

TEST_F(RangeStepsTest, TimedWaitsMeasureFromTheStepsFirstCheck)
{
    const auto seven = shots(7);
    const auto three = shots(3);
    const struct {
        const char* name;
        milliseconds startAt; // Steady time of the first check.
        milliseconds later;   // Time of the second check after the first.
        std::function<bool(RangeSteps&)> wait;
        bool done;
        std::u16string status;
    } cases[] = {
        {"1.2 s into 5 s", milliseconds(1000), milliseconds(1200), [](auto& steps) { return steps.WaitElapsed(5000); },
         false, u"3 seconds left"},
        {"just short", milliseconds(0), milliseconds(4999), [](auto& steps) { return steps.WaitElapsed(5000); }, false,
         u"0 seconds left"},
        {"elapsed", milliseconds(0), milliseconds(5000), [](auto& steps) { return steps.WaitElapsed(5000); }, true,
         u""},
        {"tick count wraps", milliseconds(0xFFFFFE0Cu), milliseconds(1000),
         [](auto& steps) { return steps.WaitElapsed(2000); }, false, u"1 seconds left"},
        {"enough shots", milliseconds(0), milliseconds(0),
         [&](auto& steps) { return steps.WaitShotsOrTime(300000, 5, seven.get()); }, true, u""},
        {"3 of 5 shots after 10 s", milliseconds(0), milliseconds(10000),
         [&](auto& steps) { return steps.WaitShotsOrTime(300000, 5, three.get()); }, false,
         u"290 seconds or 2 shot(s) left"},
        {"no shots asked, no collection", milliseconds(0), milliseconds(1500),
         [](auto& steps) { return steps.WaitShotsOrTime(3000, -2, nullptr); }, true, u""},
        {"time up with too few shots", milliseconds(0), milliseconds(15000),
         [&](auto& steps) { return steps.WaitShotsOrTime(15000, 4, three.get()); }, true, u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        platform::time::ManualClock clock;
        std::u16string status;
        RangeSteps steps(clock, &StringTable::englishText, [&](const std::u16string& text) { status = text; });
        clock.advance(c.startAt);
        (void)c.wait(steps); // The first check starts the step's clock.
        clock.advance(c.later);
        EXPECT_EQ(c.done, c.wait(steps));
        EXPECT_EQ(c.status, status);
        if (c.done) {
            EXPECT_FALSE(steps.WaitElapsed(1)) << "a finished wait measures afresh";
        }
    }
}

TEST_F(RangeStepsTest, ContinueCountsOnlyWhileTheStepWaitsForIt)
{
    EXPECT_FALSE(m_steps.chooseContinue()) << "before the step waits, Continue is ignored";
    EXPECT_FALSE(m_steps.WaitContinue());
    EXPECT_EQ(u"Click Continue button...", m_status);
    EXPECT_TRUE(m_steps.isWaitingForContinue());
    EXPECT_FALSE(m_steps.WaitContinue());

    EXPECT_TRUE(m_steps.chooseContinue());
    EXPECT_TRUE(m_steps.WaitContinue());
    EXPECT_EQ(u"", m_status);

    m_steps.NextRangeState(-1);
    EXPECT_FALSE(m_steps.isWaitingForContinue());
    EXPECT_FALSE(m_steps.WaitContinue()) << "every step waits for a Continue of its own";
}

TEST_F(RangeStepsTest, NextRangeStateStepsOnOrJumps)
{
    const struct {
        int argument;
        int state;
    } steps[] = {{1, 1}, {-1, 2}, {-5, 3}, {6, 6}, {0, 0}, {-1, 1}};
    for (const auto& step : steps) {
        m_steps.NextRangeState(step.argument);
        EXPECT_EQ(step.state, m_steps.rangeState()) << step.argument;
    }
}

} // namespace
} // namespace talvodesk
