#include "talvodesk/core/trace/TraceViewLogic.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/RecordingTone.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvoboard/tests/support/Targets.h"
#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "interfaces/talvoboard/DispIds.h"
#include "platform/com/Bstr.h"
#include "platform/com/ConnectionPoint.h"
#include "platform/com/Variant.h"
#include "platform/testing/Matchers.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <map>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;
using testsupport::RecordingTone;
using testsupport::RecordingView;
using namespace std::chrono_literals;

class RecordingHost final : public TraceViewHost {
public:
    bool devicePresent() override { return device; }
    bool matchMode() override { return match; }
    bool deviceSensors(bool& hasPulse, bool& hasTrigger) override
    {
        hasPulse = sensorPulse;
        hasTrigger = sensorTrigger;
        return device;
    }
    void setTimer(int id, std::chrono::milliseconds period) override { timers[id] = period; }
    void killTimer(int id) override { timers.erase(id); }
    void setPulseFlags(bool withPulse, bool withTrigger) override
    {
        showPulse = withPulse;
        showTrigger = withTrigger;
    }
    bool showsPulse() override { return showPulse; }
    bool showsTrigger() override { return showTrigger; }
    void setPulse(std::uint16_t value) override { pulse = value; }
    void setBeatPhase(int phase) override { beatPhase = phase; }
    void setTriggerValue(int value) override { triggerValue = value; }
    void setTriggerScale(int value) override { triggerScale = value; }
    void layoutPanes() override { ++layouts; }
    void setReplayShot(IShot* shot) override { replayShots.push_back(shot); }
    void setReplayPosition(float seconds) override { positions.push_back(seconds); }
    void startReplay() override { ++replayStarts; }

    bool device = false, match = false, sensorPulse = false, sensorTrigger = false;
    std::map<int, std::chrono::milliseconds> timers;
    bool showPulse = false, showTrigger = false;
    int layouts = 0;
    std::uint16_t pulse = 0;
    int beatPhase = -1, triggerValue = -1, triggerScale = -1;
    std::vector<IShot*> replayShots;
    std::vector<float> positions;
    int replayStarts = 0;
};

constexpr DATE kNoon = 46000.5;

class TraceViewLogicTest : public testing::Test {
protected:
    TraceViewLogicTest() : clock(kNoon), logic(host, options, clock, &tone)
    {
        options.targetSmoothZoom = 0;
        logic.setTarget(talvoboard::testsupport::makeTarget());
        data.AddView(&logic);
        data.AddView(&watcher);
    }
    ~TraceViewLogicTest() override
    {
        data.RemoveView(&watcher);
        data.RemoveView(&logic);
    }

    void newPractice(const char* event = "AR10")
    {
        eventName = event;
        ASSERT_TRUE(data.NewPractice(talvodata::testsupport::shippedEvent(event).get(), Bstr("Ann").get(), -1,
                                     Bstr().get(), 12));
        data.UpdateAllViews(nullptr, HintReset);
    }

    /// A recorded aiming whose trace rests at (x, y) millimetres, with one shot, told to the views as the live
    /// shot and made current, as the frame does.
    ComPtr<IShot> shoot(float x, float y, bool missed = false, DATE entered = kNoon)
    {
        ComPtr<IAiming> aiming =
            talvodata::testsupport::AimingBuilder(eventName).at(std::lround(x * 100), std::lround(y * 100)).build();
        ComPtr<IAimingAttr> attributes;
        EXPECT_HR(S_OK, aiming->get_Attr(attributes.put()));
        EXPECT_HR(S_OK, attributes->put_Match(VARIANT_TRUE));
        EXPECT_HR(S_OK, attributes->put_EnterTime(entered));
        data.UpdateAllViews(nullptr, HintStartAiming, AimingHint{aiming.get()});
        ComPtr<IAimingTrace> trace;
        EXPECT_HR(S_OK, aiming->get_Trace(trace.put()));
        for (int i = 0; i < 300; ++i) {
            EXPECT_HR(S_OK, trace->_Add(std::lround(x * 100), std::lround(y * 100)));
        }
        ComPtr<IShot> shot;
        EXPECT_HR(S_OK, aiming->AddShot(missed ? VARIANT_TRUE : VARIANT_FALSE, shot.put()));
        EXPECT_TRUE(data.AddShot(shot.get(), aiming.get()));
        (void)data.SetCurrentShot(shot.get());
        return shot;
    }

    float zoom()
    {
        float value = -1;
        EXPECT_HR(S_OK, target()->get_Zoom(&value));
        return value;
    }
    std::u16string label(LONG position)
    {
        Bstr text;
        EXPECT_HR(S_OK, target()->get_Label(position, text.put()));
        return std::u16string(text.view());
    }
    LONG elements()
    {
        LONG count = -1;
        EXPECT_HR(S_OK, target()->get_ElementCount(&count));
        return count;
    }
    bool targetFlag(HRESULT (ITarget::*get)(VARIANT_BOOL*))
    {
        VARIANT_BOOL value = VARIANT_FALSE;
        EXPECT_HR(S_OK, (target()->*get)(&value));
        return value == VARIANT_TRUE;
    }
    ITarget* target() { return logic.target(); }

    const char* eventName = "AR10";
    platform::time::ManualClock clock;
    COptions options;
    RecordingHost host;
    RecordingTone tone;
    CTalvoData data;
    TraceViewLogic logic;
    RecordingView watcher;
};

TEST_F(TraceViewLogicTest, ResetStartsFromTheStoredZoomAndTheTraceColours)
{
    for (const bool expert : {true, false}) {
        SCOPED_TRACE(expert ? "expert" : "plain");
        options.advancedMode = expert ? 1 : 0;
        newPractice();
        EXPECT_EQ(expert ? 8.0F : 6.0F, logic.storedZoom());
        EXPECT_EQ(expert ? 8.0F : 6.0F, zoom());
        OLE_COLOR color = 0;
        EXPECT_HR(S_OK, target()->get_TraceColor(&color));
        EXPECT_EQ(options.traceColorBeforeShot, color);
        EXPECT_HR(S_OK, target()->get_LabelColor(&color));
        EXPECT_EQ(0xFFFFFFu, color);
    }
    // Expert mode toggled: the start zoom follows it.
    options.advancedMode = 1;
    data.UpdateAllViews(nullptr, HintExpertMode);
    EXPECT_EQ(8.0F, logic.storedZoom());
}

TEST_F(TraceViewLogicTest, ChangedOptionsReachTheControl)
{
    newPractice();
    (void)shoot(1.4F, 0.0F);
    options.replaySpeed = 250;
    options.traceColorBeforeShot = 0x123456;
    options.targetResult = 0;
    logic.OptionsChanged(kOptionsChangedReplaySpeed | kOptionsChangedColors);
    LONG speed = 0;
    OLE_COLOR color = 0;
    EXPECT_HR(S_OK, target()->get_ReplaySpeed(&speed));
    EXPECT_HR(S_OK, target()->get_TraceColor(&color));
    EXPECT_EQ(250, speed);
    EXPECT_EQ(0x123456u, color);
    EXPECT_EQ(u" 10.4 ", label(1));
    logic.OptionsChanged(kOptionsChangedTraceDisplay);
    EXPECT_EQ(u"", label(1));
}

TEST_F(TraceViewLogicTest, ShotZoomsToResultLessOneWithinStoredZoom)
{
    newPractice(); // Expert mode: stored zoom 8.
    struct Case {
        float x;
        float expectedResult; // Checked first, so the zoom below follows from it.
        float expectedZoom;
    };
    const Case cases[] = {
        {1.4F, 10.4F, 8.0F}, {6.65F, 8.3F, 7.3F}, {8.65F, 7.5F, 6.5F},
        {24.9F, 1.0F, 0.0F}, {40.0F, 0.0F, 0.0F}, // Would be below 0.
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        ComPtr<IShot> shot = shoot(c.x, 0);
        float result = 0;
        ASSERT_HR(S_OK, shot->get_Result(&result));
        ASSERT_FLOAT_EQ(c.expectedResult, result);
        EXPECT_FLOAT_EQ(c.expectedZoom, zoom());
    }
}

TEST_F(TraceViewLogicTest, ManualZoomIsCappedForLaterShots)
{
    for (const bool expert : {true, false}) {
        SCOPED_TRACE(expert ? "expert" : "plain");
        options.advancedMode = expert ? 1 : 0;
        newPractice();
        ASSERT_HR(S_OK, target()->put_Zoom(10.0F)); // As far as the control goes.
        logic.OnZoomChanged();
        EXPECT_EQ(expert ? 9.0F : 7.0F, logic.storedZoom());
        (void)shoot(1.4F, 0); // 10.4
        EXPECT_EQ(expert ? 9.0F : 7.0F, zoom());
    }
}

TEST_F(TraceViewLogicTest, SmoothZoomStepsOnTheClock)
{
    options.targetSmoothZoom = 1;
    newPractice();
    ASSERT_HR(S_OK, target()->put_Zoom(2.0F));
    // Near the 32-bit wrap of the tick counter, which the elapsed time must survive.
    clock.advance(std::chrono::milliseconds(0xFFFFFFFFLL - 20));
    logic.StartSmoothZoom(7.0F);
    EXPECT_EQ(10ms, host.timers.at(TraceViewLogic::TimerZoom));
    EXPECT_TRUE(logic.animating());
    struct Step {
        std::chrono::milliseconds advance;
        float zoom;
        bool timerAgain;
    };
    const Step steps[] = {
        {10ms, 2.1F, true}, {50ms, 2.6F, true}, {200ms, 4.6F, true}, {230ms, 6.9F, true}, {50ms, 7.0F, false}};
    for (const Step& s : steps) {
        SCOPED_TRACE(testing::Message() << "after " << s.advance.count() << " ms");
        clock.advance(s.advance);
        logic.OnTimer(TraceViewLogic::TimerZoom);
        EXPECT_NEAR(s.zoom, zoom(), 1e-4);
        EXPECT_EQ(s.timerAgain, host.timers.count(TraceViewLogic::TimerZoom) == 1);
        if (s.timerAgain) {
            EXPECT_EQ(50ms, host.timers.at(TraceViewLogic::TimerZoom));
        }
    }
    EXPECT_FALSE(logic.animating());

    // A manual zoom stops the animation; a right click zooms out to 0.
    logic.StartSmoothZoom(3.0F);
    logic.OnZoomChanged();
    EXPECT_FALSE(logic.animating());
    EXPECT_EQ(0u, host.timers.count(TraceViewLogic::TimerZoom));
    logic.OnRightClick(1.0F, 1.0F);
    clock.advance(600ms);
    logic.OnTimer(TraceViewLogic::TimerZoom);
    EXPECT_EQ(0.0F, zoom());
}

TEST_F(TraceViewLogicTest, ZoomWithoutAnimationIsOneStep)
{
    options.targetSmoothZoom = 1;
    newPractice();
    ComPtr<IEventParams> event;
    ASSERT_TRUE(data.GetEvent(event));
    ASSERT_HR(S_OK, event->put_Value(Bstr("_zoom_disable_animation").get(), Variant::fromInt32(1).get()));
    logic.StartSmoothZoom(3.5F);
    EXPECT_EQ(3.5F, zoom());
    EXPECT_FALSE(logic.animating());
    EXPECT_TRUE(host.timers.empty());
}

TEST_F(TraceViewLogicTest, DragsCorrectOnlyTheLiveShotUntilTheNextAiming)
{
    newPractice();
    ComPtr<IShot> earlier = shoot(3.0F, 1.0F);
    ComPtr<IShot> live = shoot(1.4F, 0.0F);
    ASSERT_EQ(live.get(), logic.liveShot());
    EXPECT_TRUE(targetFlag(&ITarget::get_Dragable));
    EXPECT_TRUE(targetFlag(&ITarget::get_Selectable));

    // Driven through the sink, as the control calls it.
    auto point = platform::com::makeComObject<platform::com::ConnectionPoint>(nullptr, talvoboard::DIID__ITargetEvents);
    auto sink = platform::com::makeComObject<TargetEventSink>(logic);
    DWORD cookie = 0;
    ASSERT_HR(S_OK, point->Advise(sink.get(), &cookie));
    const auto drag = [&](DISPID id, float x, float y) {
        point->fire(id, {Variant::fromDispatch(nullptr), Variant::fromDispatch(live.get()), Variant::fromFloat(x),
                         Variant::fromFloat(y)});
    };
    // The offsets are read while the hint is delivered.
    std::vector<std::pair<float, float>> offsets;
    watcher.hook = [&](const testsupport::ReceivedHint& update) {
        if (update.hint == HintTraceOffset) {
            EXPECT_EQ(&logic, update.sender);
            const auto* offset = update.payload.get<TraceOffsetHint>();
            offsets.emplace_back(offset->dx, offset->dy);
        }
    };
    drag(DISPID_TARGETEVENTS_STARTDRAG, 10.0F, 10.0F);
    drag(DISPID_TARGETEVENTS_ENDDRAG, 11.0F, 8.0F);
    drag(DISPID_TARGETEVENTS_STARTDRAG, 0.0F, 0.0F);
    drag(DISPID_TARGETEVENTS_ENDDRAG, 0.5F, 0.5F);
    EXPECT_FLOAT_EQ(1.5F, logic.correctionX());
    EXPECT_FLOAT_EQ(-1.5F, logic.correctionY());

    // Another shot shown is neither draggable nor selectable.
    (void)data.SetCurrentShot(earlier.get());
    EXPECT_FALSE(targetFlag(&ITarget::get_Dragable));
    EXPECT_FALSE(targetFlag(&ITarget::get_Selectable));
    (void)data.SetCurrentShot(live.get());
    EXPECT_TRUE(targetFlag(&ITarget::get_Dragable));
    EXPECT_FLOAT_EQ(1.5F, logic.correctionX());

    (void)shoot(1.0F, 1.0F); // The next aiming starts afresh.
    EXPECT_EQ(0.0F, logic.correctionX());
    EXPECT_EQ(0.0F, logic.correctionY());
    EXPECT_HR(S_OK, point->Unadvise(cookie));
}

TEST_F(TraceViewLogicTest, LabelAndCrossMarkFollowTheShot)
{
    struct Case {
        const char* name;
        bool missed;
        std::uint32_t result, length;
        const char* event;
        std::u16string label;
        LONG elements;
    };
    const Case cases[] = {
        {"result", false, 1, 0, "AR10", u" 10.4 ", 2},
        {"result and length", false, 1, 1, "AR10", u" 10.4  0.0 mm ", 2},
        {"length only", false, 0, 1, "AR10", u" 0.0 mm ", 2},
        {"missed: no mark, no length", true, 1, 1, "AR10", u" 0.0 ", 0},
        {"biathlon: no result", false, 1, 0, "BTLN", u"", 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        options.targetResult = c.result;
        options.targetLen = c.length;
        newPractice(c.event);
        (void)shoot(1.4F, 0.0F, c.missed);
        EXPECT_EQ(c.label, label(1));
        EXPECT_EQ(c.elements, elements());
    }
    // The mark stands at the average point of the control interval.
    ComPtr<ITargetElement> line;
    float left = 0;
    float width = 0;
    ASSERT_HR(S_OK, target()->get_Elements(1, line.put()));
    ASSERT_HR(S_OK, line->get_Left(&left));
    ASSERT_HR(S_OK, line->get_Width(&width));
    EXPECT_NEAR(1.4F, left + width / 2, 1e-4);
}

TEST_F(TraceViewLogicTest, TimeCounterRunsInMatchModeDuringAPractice)
{
    struct Case {
        const char* name;
        bool device, match;
        std::uint32_t display;
        const char* event;
        std::chrono::milliseconds after;
        std::u16string text;
    };
    const Case cases[] = {
        {"short form", true, true, 1, "AR10", 65s, u" 01:05 "},
        {"over an hour", true, true, 1, "AR10", 3725s, u" 01:02:05 "},
        {"no device", false, true, 1, "AR10", 65s, u""},
        {"sighting mode", true, false, 1, "AR10", 65s, u""},
        {"option off", true, true, 0, "AR10", 65s, u""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.device = c.device;
        host.match = c.match;
        options.displayTimeCounter = c.display;
        newPractice(c.event);
        data.UpdateAllViews(nullptr, HintPracticeStart);
        EXPECT_EQ(100ms, host.timers.at(TraceViewLogic::TimerTimeCounter));
        (void)shoot(1.4F, 0.0F, false, clock.wallNow());
        clock.advance(c.after);
        logic.OnTimer(TraceViewLogic::TimerTimeCounter);
        EXPECT_EQ(c.text, label(2));
        data.UpdateAllViews(nullptr, HintPracticeStop);
        EXPECT_TRUE(host.timers.empty());
    }
    // The events with range commands keep their label as it was.
    host.device = host.match = true;
    options.displayTimeCounter = 1;
    newPractice("SP1");
    (void)shoot(1.4F, 0.0F, false, clock.wallNow());
    ASSERT_HR(S_OK, target()->put_Label(2, Bstr("kept").get()));
    logic.RefreshTimeCounter();
    EXPECT_EQ(u"kept", label(2));
}

TEST_F(TraceViewLogicTest, ReplayEndShowsTheReplayedShotAndTellsTheOthers)
{
    newPractice();
    ComPtr<IShot> first = shoot(3.0F, 1.0F);
    (void)shoot(1.4F, 0.0F);
    ComPtr<IAiming> aiming;
    ASSERT_TRUE(data.FindAiming(first.get(), aiming));
    ASSERT_HR(S_OK, target()->put_ReplayAiming(aiming.get()));
    ASSERT_HR(S_OK, target()->put_ReplayShot(first.get()));

    bool running = false;
    data.UpdateAllViews(nullptr, HintReplayRunning, AnswerHint{&running});
    EXPECT_TRUE(running);
    watcher.received.clear();
    host.replayShots.clear();
    tone.playing = true;

    logic.OnEndReplay();
    EXPECT_EQ(std::vector<int>{HintReplayEnd}, watcher.hints());
    EXPECT_FALSE(tone.playing);
    ASSERT_FALSE(host.replayShots.empty());
    EXPECT_EQ(nullptr, host.replayShots.front());
    ComPtr<IAiming> shown;
    ASSERT_HR(S_OK, target()->get_Item(1, shown.put()));
    EXPECT_EQ(aiming.get(), shown.get());
    running = false;
    data.UpdateAllViews(nullptr, HintReplayRunning, AnswerHint{&running});
    EXPECT_FALSE(running);

    data.UpdateAllViews(nullptr, HintReplayStart);
    EXPECT_EQ(1, host.replayStarts);
}

TEST_F(TraceViewLogicTest, SidePanelFollowsPulseTriggerAndBeats)
{
    newPractice();
    host.device = true;
    host.sensorPulse = host.sensorTrigger = true;
    data.UpdateAllViews(nullptr, HintPracticeStart);
    EXPECT_TRUE(host.showPulse);
    EXPECT_TRUE(host.showTrigger);
    EXPECT_EQ(10ms, host.timers.at(TraceViewLogic::TimerBeat));

    // Trigger: a running maximum is the scale until a replay gives one of 2 or more.
    std::vector<std::int32_t> values{5, 40, 12};
    data.UpdateAllViews(nullptr, HintTrigger, TriggerHint{values});
    EXPECT_EQ(40, host.triggerScale);
    EXPECT_EQ(12, host.triggerValue);
    logic.setTriggerScale(90);
    values = {7};
    data.UpdateAllViews(nullptr, HintTrigger, TriggerHint{values});
    EXPECT_EQ(90, host.triggerScale);
    EXPECT_EQ(7, host.triggerValue);

    // Beat phase: 0 from the beat for a third of the last interval (half of 0.66), else 1.
    const DATE second = 1.0 / 86400;
    DATE earliest = 0;
    DATE beat = clock.wallNow() - 1.0 * second;
    data.UpdateAllViews(nullptr, HintHeartBeat, HeartBeatHint{earliest, beat});
    beat = clock.wallNow(); // A second after the one before.
    data.UpdateAllViews(nullptr, HintHeartBeat, HeartBeatHint{earliest, beat});
    struct Phase {
        std::chrono::milliseconds after;
        int phase;
    };
    for (const Phase& p : {Phase{0ms, 0}, Phase{320ms, 0}, Phase{20ms, 1}}) {
        clock.advance(p.after);
        logic.OnTimer(TraceViewLogic::TimerBeat);
        EXPECT_EQ(p.phase, host.beatPhase) << p.after.count();
    }
    ASSERT_TRUE(data.SetPulse(72));
    EXPECT_EQ(72, host.pulse);
}

TEST_F(TraceViewLogicTest, ToneFollowsTheAimAndStopsWithTheAiming)
{
    options.blindGen = 1;
    newPractice();
    ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder("AR10").at(0, 0).samples(10).build();
    data.UpdateAllViews(nullptr, HintStartAiming, AimingHint{aiming.get()});
    data.UpdateAllViews(nullptr, HintNewCoordinates, AimingHint{aiming.get()});
    EXPECT_EQ(2000.0F, tone.frequency);
    EXPECT_TRUE(tone.playing);
    data.UpdateAllViews(nullptr, HintConcludeAiming, AimingHint{aiming.get()});
    EXPECT_FALSE(tone.playing);
}

} // namespace
} // namespace talvodesk
