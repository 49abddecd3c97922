#include "talvoboard/Replay.h"

#include "talvodata/Aiming.h"
#include "talvodata/tests/support/AimingBuilder.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/testing/EventPump.h"
#include "platform/testing/Matchers.h"
#include "platform/time/ManualClock.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <string>
#include <vector>

namespace talvoboard {
namespace {

using namespace std::chrono_literals;
using platform::com::ComPtr;
using platform::testing::pumpUntil;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

constexpr LONG kRate = 200;
constexpr auto kPeriod = 5ms; // 1000 / kRate

/// An aiming of `samples` samples at kRate per second with a shot after each index in `shotsAt`.
ComPtr<IAiming> makeAiming(int samples, std::vector<int> shotsAt, LONG rate = kRate)
{
    auto created = talvodata::CAiming::create();
    EXPECT_TRUE(created.hasValue());
    ComPtr<IAiming> aiming(created.value().get());
    ComPtr<IAimingAttr> attributes;
    ComPtr<IAimingTrace> trace;
    EXPECT_HR(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_HR(S_OK, aiming->get_Trace(trace.put()));
    EXPECT_HR(S_OK, attributes->put_SampleRate(rate));
    EXPECT_HR(S_OK, trace->put_WrapEnabled(VARIANT_FALSE));
    for (int index = 0; index < samples; ++index) {
        EXPECT_HR(S_OK, trace->_Add(index, -index));
        for (int shotIndex : shotsAt) {
            if (shotIndex == index) {
                ComPtr<IShot> shot;
                EXPECT_HR(S_OK, aiming->AddShot(VARIANT_FALSE, shot.put()));
            }
        }
    }
    return aiming;
}

ComPtr<IShot> shotOf(IAiming* aiming, LONG index)
{
    ComPtr<IShot> shot;
    EXPECT_HR(S_OK, aiming->get_Shot(index, shot.put()));
    return shot;
}

const char* nameOf(ReplayEvent event)
{
    switch (event) {
    case ReplayEvent::Started:
        return "Started";
    case ReplayEvent::PositionChanged:
        return "PositionChanged";
    case ReplayEvent::Paused:
        return "Paused";
    case ReplayEvent::Ended:
        return "Ended";
    }
    return "?";
}

/// Records what the replay draws and raises.
class RecordingView final : public ReplayView {
public:
    bool updatesEnabled() const override { return updates; }
    bool displaysReplayMark() const override { return replayMark; }
    float headingLength() const override { return heading; }
    void refresh() override { drawn.push_back("refresh"); }
    void drawCaption() override { drawn.push_back("caption"); }
    void invalidateCaption() override { drawn.push_back("hide caption"); }
    void drawBreachesAndTrace(LONG from, LONG to) override { record("breaches and trace", from, to); }
    void drawTrace(LONG from, LONG to) override { record("trace", from, to); }
    void drawHeading(LONG from, LONG to) override { record("heading", from, to); }
    void raise(ReplayEvent event) override
    {
        events.push_back(nameOf(event));
        // A copy, because a handler may replace itself.
        if (const auto handler = onEvent) {
            handler(event);
        }
    }

    void record(const char* what, LONG from, LONG to)
    {
        drawn.push_back(std::string(what) + " " + std::to_string(from) + ".." + std::to_string(to));
    }
    void forget()
    {
        drawn.clear();
        events.clear();
    }

    bool updates = true;
    bool replayMark = true;
    float heading = 0.1f;
    std::vector<std::string> drawn;
    std::vector<std::string> events;
    std::function<void(ReplayEvent)> onEvent;
};

class ReplayTest : public ::testing::Test {
protected:
    /// Lets the timer thread see `step` of virtual time and waits for the step that takes the mark to `expected`.
    void advanceTo(std::chrono::milliseconds step, LONG expected)
    {
        ASSERT_TRUE(replay.isTimerRunning());
        clock.awaitWaiters(1);
        clock.advance(step);
        ASSERT_TRUE(pumpUntil([&] { return replay.position() == expected; })) << "at " << replay.position();
    }

    platform::time::ManualClock clock;
    RecordingView view;
    Replay replay{view, clock};
};

TEST_F(ReplayTest, MarkFollowsTheSampleRateAtTheReplaySpeed)
{
    struct Case {
        LONG speed;
        int periods;
        LONG expected;
    };
    const Case cases[] = {
        {100, 1, 1}, {100, 7, 7}, {50, 7, 3}, {50, 8, 4}, {300, 4, 12}, {10, 10, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "speed " << c.speed << ", " << c.periods << " periods");
        ASSERT_HR(S_OK, replay.setSpeed(c.speed));
        ASSERT_HR(S_OK, replay.setAiming(makeAiming(400, {300}).get()));
        EXPECT_EQ(0, replay.position());
        for (int period = 1; period <= c.periods; ++period) {
            // Each period moves it by whole samples only, truncated from the time since the start.
            const LONG expected = static_cast<LONG>(period * 5 * (c.speed * kRate / 100) / 1000);
            advanceTo(kPeriod, expected);
        }
        EXPECT_EQ(c.expected, replay.position());
        replay.stop();
    }
}

TEST_F(ReplayTest, AShotIndexFarOutsideTheTraceKeepsTheMarkOnTheTrace)
{
    for (const LONG index : {std::numeric_limits<LONG>::max(), std::numeric_limits<LONG>::min()}) {
        SCOPED_TRACE(index);
        const auto aiming = talvodata::testsupport::withTraceIndex(
            talvodata::testsupport::AimingBuilder().stopSliding().samples(300).shot().samples(100).build().get(),
            index);
        ASSERT_TRUE(aiming);
        ASSERT_HR(S_OK, replay.setAiming(aiming.get()));
        float seconds = 0.0f;
        EXPECT_HR(S_OK, replay.positionSeconds(&seconds));
        EXPECT_TRUE(std::isfinite(seconds));
        for (const float to : {-1e9f, 0.0f, 1e9f}) {
            ASSERT_HR(S_OK, replay.setPositionSeconds(to));
            EXPECT_GE(replay.position(), 0);
            EXPECT_LE(replay.position(), 399);
        }
        replay.stop();
    }
}

TEST_F(ReplayTest, OneSecondAtTwoHundredSamplesMovesTwoHundredOrHundredAtHalfSpeed)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {900}).get()));
    advanceTo(1000ms, 200);
    ASSERT_HR(S_OK, replay.setSpeed(50));
    advanceTo(1000ms, 300);
}

TEST_F(ReplayTest, SpeedChangeContinuesFromTheCurrentSample)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {900}).get()));
    advanceTo(500ms, 100);
    ASSERT_HR(S_OK, replay.setSpeed(300));
    EXPECT_EQ(100, replay.position());
    // Measured from the start at the new speed it would be at 360 already.
    advanceTo(100ms, 160);
}

TEST_F(ReplayTest, SpeedOutsideTenToThreeHundredIsRefused)
{
    for (LONG speed : {9, 301, 0, -100}) {
        SCOPED_TRACE(speed);
        EXPECT_HR(E_INVALIDARG, replay.setSpeed(speed));
        EXPECT_EQ(100, replay.speed());
    }
    for (LONG speed : {10, 300}) {
        SCOPED_TRACE(speed);
        EXPECT_HR(S_OK, replay.setSpeed(speed));
        EXPECT_EQ(speed, replay.speed());
    }
}

TEST_F(ReplayTest, StartRaisesStartedThenPositionChangedAndShowsTheCaption)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {50}).get()));
    EXPECT_THAT(view.events, ElementsAre("Started", "PositionChanged"));
    EXPECT_THAT(view.drawn, ElementsAre("caption"));
    EXPECT_TRUE(replay.isCaptionShown());
    EXPECT_TRUE(replay.isTimerRunning());
    float seconds = 1.0f;
    ASSERT_HR(S_OK, replay.positionSeconds(&seconds));
    EXPECT_FLOAT_EQ(-0.25f, seconds);

    view.forget();
    view.updates = false;
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {50}).get()));
    EXPECT_THAT(view.drawn, ElementsAre("refresh"));
}

TEST_F(ReplayTest, PauseHoldsTheMarkAndResumeContinuesWithoutAJump)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {900}).get()));
    advanceTo(500ms, 100);
    view.forget();

    replay.setPaused(true);
    EXPECT_THAT(view.events, ElementsAre("Paused"));
    EXPECT_THAT(view.drawn, ElementsAre("refresh"));
    EXPECT_FALSE(replay.isTimerRunning());
    clock.advance(2000ms);
    replay.step(); // A replay message that was still queued.
    EXPECT_EQ(100, replay.position());
    replay.setPaused(true);
    EXPECT_THAT(view.events, ElementsAre("Paused"));

    view.forget();
    replay.setPaused(false);
    EXPECT_THAT(view.events, ElementsAre("Started"));
    EXPECT_THAT(view.drawn, ElementsAre("refresh"));
    advanceTo(250ms, 150);
}

TEST_F(ReplayTest, PausingOrResumingWithoutAReplayRaisesNothing)
{
    replay.setPaused(true);
    replay.setPaused(false);
    EXPECT_THAT(view.events, IsEmpty());
    EXPECT_FALSE(replay.isTimerRunning());
    EXPECT_THAT(view.drawn, ElementsAre("refresh", "refresh"));
}

TEST_F(ReplayTest, ReachingTheLastSampleRaisesEndReplayOnceAndReleasesTheReplay)
{
    const ComPtr<IAiming> aiming = makeAiming(50, {40});
    ASSERT_HR(S_OK, replay.setAiming(aiming.get()));
    view.forget();
    clock.awaitWaiters(1);
    clock.advance(10s);
    ASSERT_TRUE(pumpUntil([&] { return !view.events.empty(); }));
    EXPECT_THAT(view.events, ElementsAre("PositionChanged", "Ended"));
    EXPECT_EQ(49, replay.position());
    EXPECT_FALSE(replay.isTimerRunning());
    EXPECT_EQ(nullptr, replay.aiming());
    EXPECT_FALSE(replay.isCaptionShown());

    replay.step();
    EXPECT_THAT(view.events, ElementsAre("PositionChanged", "Ended"));
}

TEST_F(ReplayTest, AimingWithoutShotsNeverStarts)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {}).get()));
    EXPECT_THAT(view.events, IsEmpty());
    EXPECT_THAT(view.drawn, IsEmpty());
    EXPECT_FALSE(replay.isTimerRunning());
    ComPtr<IShot> shot;
    EXPECT_HR(S_OK, replay.shot(shot.put()));
    EXPECT_EQ(nullptr, shot);
    float seconds = 1.0f;
    EXPECT_HR(S_OK, replay.positionSeconds(&seconds));
    EXPECT_EQ(0.0f, seconds);
    replay.setPaused(true);
    replay.setPaused(false);
    EXPECT_THAT(view.events, IsEmpty());
}

TEST_F(ReplayTest, AnAimingWithoutShotsStopsTheFormerReplaysTimer)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {50}).get()));
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {}).get()));
    EXPECT_FALSE(replay.isTimerRunning());
}

TEST_F(ReplayTest, EndReplayHandlerMayClearTheReplay)
{
    view.onEvent = [&](ReplayEvent event) {
        if (event == ReplayEvent::Ended) {
            replay.clear();
        }
    };
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(20, {10}).get()));
    view.forget();
    clock.awaitWaiters(1);
    clock.advance(1s);
    ASSERT_TRUE(pumpUntil([&] { return !view.events.empty(); }));
    EXPECT_THAT(view.events, ElementsAre("PositionChanged", "Ended"));
    EXPECT_FALSE(replay.isTimerRunning());
    EXPECT_EQ(nullptr, replay.aiming());
}

TEST_F(ReplayTest, EndReplayHandlerMayStartTheNextReplay)
{
    const ComPtr<IAiming> next = makeAiming(100, {50});
    view.onEvent = [&](ReplayEvent event) {
        if (event == ReplayEvent::Ended) {
            view.onEvent = nullptr;
            EXPECT_HR(S_OK, replay.setAiming(next.get()));
        }
    };
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(20, {10}).get()));
    clock.awaitWaiters(1);
    clock.advance(1s);
    ASSERT_TRUE(pumpUntil([&] { return replay.aiming() == next.get(); }));
    EXPECT_TRUE(replay.isTimerRunning());
    EXPECT_EQ(0, replay.position());
    advanceTo(100ms, 20);
}

TEST_F(ReplayTest, PositionHandlerMayStopTheReplayWithoutAnEnd)
{
    view.onEvent = [&](ReplayEvent event) {
        if (event == ReplayEvent::PositionChanged) {
            EXPECT_HR(S_OK, replay.setAiming(nullptr));
        }
    };
    // The start's own PositionChanged already stops it.
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(20, {10}).get()));
    EXPECT_THAT(view.events, ElementsAre("Started", "PositionChanged"));
    EXPECT_FALSE(replay.isTimerRunning());
}

TEST_F(ReplayTest, StopHidesTheCaptionAndReleasesWithoutEndReplay)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {50}).get()));
    view.forget();
    replay.stop();
    EXPECT_THAT(view.events, IsEmpty());
    EXPECT_THAT(view.drawn, ElementsAre("hide caption"));
    EXPECT_FALSE(replay.isTimerRunning());
    EXPECT_FALSE(replay.isCaptionShown());
    EXPECT_EQ(nullptr, replay.aiming());

    // Without the mark nothing is invalidated, but no stale caption is left to show later.
    view.replayMark = false;
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(100, {50}).get()));
    view.forget();
    replay.stop();
    EXPECT_THAT(view.drawn, IsEmpty());
    EXPECT_FALSE(replay.isCaptionShown());
}

TEST_F(ReplayTest, DestroyingARunningReplayStopsItsTimer)
{
    auto running = std::make_unique<Replay>(view, clock);
    ASSERT_HR(S_OK, running->setAiming(makeAiming(100, {50}).get()));
    clock.awaitWaiters(1);
    clock.advance(kPeriod); // A replay message may still be queued for the window.
    running.reset();
    QCoreApplication::sendPostedEvents();
    EXPECT_THAT(view.events, ElementsAre("Started", "PositionChanged"));
}

TEST_F(ReplayTest, CaptionBlinksWithTheReplayedTime)
{
    view.heading = 0.0f;
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {900}).get()));
    view.forget();
    advanceTo(250ms, 50);  // k = 1: hidden
    advanceTo(250ms, 100); // k = 2: shown
    advanceTo(100ms, 120); // still shown
    EXPECT_THAT(view.drawn, ElementsAre("hide caption", "trace 0..50", "caption", "trace 50..100", "trace 100..120"));

    view.forget();
    view.replayMark = false;
    advanceTo(250ms, 170);
    EXPECT_THAT(view.drawn, ElementsAre("trace 120..170"));
    EXPECT_TRUE(replay.isCaptionShown());
}

TEST_F(ReplayTest, StepDrawsTheHeadingAndRepaintsWhatLeftIt)
{
    view.replayMark = false;
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {300}).get()));
    view.forget();
    advanceTo(50ms, 10); // heading 20 samples: nothing left it yet
    advanceTo(200ms, 50);
    advanceTo(1000ms, 250);
    EXPECT_THAT(view.drawn,
                ElementsAre("heading -10..10", "heading 30..50", "trace 0..30", "heading 230..250", "trace 30..230"));

    view.forget();
    advanceTo(500ms, 350); // passes the shot at 299
    EXPECT_THAT(view.drawn, ElementsAre("breaches and trace 50..350"));

    view.forget();
    view.updates = false;
    advanceTo(50ms, 360);
    EXPECT_THAT(view.drawn, ElementsAre("refresh"));
}

TEST_F(ReplayTest, SetPositionDrawsForwardsRepaintsBackwardsAndRaisesNothing)
{
    view.replayMark = false;
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {100}).get())); // the shot at trace index 100
    view.forget();
    struct Case {
        float seconds;
        LONG position;
        std::vector<std::string> drawn;
    };
    const std::vector<Case> cases = {
        {-0.2f, 60, {"heading 40..60", "trace 0..40"}},
        {-0.2f, 60, {}},
        {0.1f, 120, {"breaches and trace -140..120"}},
        {-0.5f, 0, {"refresh"}},
        {-30.0f, 0, {}},
        {1e30f, 999, {"breaches and trace -200..999"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        view.forget();
        ASSERT_HR(S_OK, replay.setPositionSeconds(c.seconds));
        EXPECT_EQ(c.position, replay.position());
        EXPECT_EQ(c.drawn, view.drawn);
        EXPECT_THAT(view.events, IsEmpty());
    }
    EXPECT_HR(E_INVALIDARG, replay.setPositionSeconds(std::nanf("")));
    EXPECT_EQ(999, replay.position());
}

TEST_F(ReplayTest, SetPositionRebasesSoTheReplayGoesOnFromThere)
{
    ASSERT_HR(S_OK, replay.setAiming(makeAiming(1000, {500}).get()));
    advanceTo(100ms, 20);
    ASSERT_HR(S_OK, replay.setPositionSeconds(-1.0f)); // 500 - 200
    advanceTo(100ms, 320);

    replay.setPaused(true);
    ASSERT_HR(S_OK, replay.setPositionSeconds(0.0f));
    clock.advance(1s);
    replay.setPaused(false);
    advanceTo(100ms, 520);
}

TEST_F(ReplayTest, SetPositionWithoutAReplayDoesNothing)
{
    EXPECT_HR(S_OK, replay.setPositionSeconds(1.0f));
    EXPECT_THAT(view.drawn, IsEmpty());
    float seconds = 1.0f;
    EXPECT_HR(S_OK, replay.positionSeconds(&seconds));
    EXPECT_EQ(0.0f, seconds);
    EXPECT_HR(E_POINTER, replay.positionSeconds(nullptr));
}

TEST_F(ReplayTest, ReplayShotMustBeAShotOfTheReplayAiming)
{
    const ComPtr<IAiming> aiming = makeAiming(300, {100, 200});
    const ComPtr<IAiming> other = makeAiming(300, {100});
    EXPECT_HR(E_INVALIDARG, replay.setShot(shotOf(aiming.get(), 2).get()));
    ASSERT_HR(S_OK, replay.setAiming(aiming.get()));
    EXPECT_HR(E_INVALIDARG, replay.setShot(shotOf(other.get(), 1).get()));
    EXPECT_HR(E_INVALIDARG, replay.setShot(nullptr));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, replay.shot(shot.put()));
    EXPECT_EQ(shotOf(aiming.get(), 1), shot);

    ASSERT_HR(S_OK, replay.setShot(shotOf(aiming.get(), 2).get()));
    ASSERT_HR(S_OK, replay.shot(shot.put()));
    EXPECT_EQ(shotOf(aiming.get(), 2), shot);
    EXPECT_EQ(0, replay.position());
    float seconds = 0.0f;
    ASSERT_HR(S_OK, replay.positionSeconds(&seconds));
    EXPECT_FLOAT_EQ(-1.0f, seconds);

    EXPECT_HR(E_INVALIDARG, replay.shot(nullptr));
    EXPECT_HR(E_INVALIDARG, replay.aiming(nullptr));
}

} // namespace
} // namespace talvoboard
