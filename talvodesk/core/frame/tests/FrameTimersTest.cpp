#include "talvodesk/core/frame/FrameTimers.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/FrameCommands.h"
#include "talvodesk/core/frame/FrameHints.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/practice/StartPracticeRules.h"
#include "talvodesk/core/program/ServerLockMonitor.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/fs/tests/support/TemporaryFolder.h"
#include "platform/time/ManualClock.h"
#include "talvodata/Shot.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

using namespace talvodesk;
using namespace std::chrono_literals;
using platform::time::ManualClock;

namespace {

/// Writes down every action the frame asks for, one word each.
class RecordingActions final : public FrameActions {
public:
    void refreshCommandStates() override { log.push_back("states"); }
    void refreshStatus() override { log.push_back("status"); }
    void applyExpertVisibility() override { log.push_back("expert"); }
    void refreshPrintPreview() override { log.push_back("preview"); }
    void switchToView(cmd::Id view) override { log.push_back("view " + std::to_string(view)); }
    void playSound(std::u16string_view name) override
    {
        log.push_back("sound " + std::string(name.begin(), name.end()));
    }
    void speakResult(IShot* shot) override { log.push_back(shot ? "speak" : "speak none"), spoken.push_back(shot); }
    void startReplay() override { log.push_back("replay"); }
    void replayNextShot() override { log.push_back("next"); }
    void releaseOpenAiming() override { log.push_back("release"); }
    void addSensorCorrection(float dx, float dy) override
    {
        log.push_back("correct " + std::to_string(dx) + " " + std::to_string(dy));
    }

    std::vector<std::string> log;
    std::vector<IShot*> spoken;
};

/// Frame, timers and a clock, with a helper that moves time and fires what fell due.
struct Frame {
    Frame() : timers(clock), hints(timers, options, actions) {}

    void advance(std::chrono::milliseconds step)
    {
        clock.advance(step);
        for (const int id : timers.due()) {
            hints.onTimer(id, clock.steadyNow());
        }
    }
    std::vector<std::string> take() { return std::exchange(actions.log, {}); }

    ManualClock clock;
    COptions options;
    RecordingActions actions;
    FrameTimers timers;
    FrameHintReactions hints;
};

TEST(FrameTimersTest, RestartingATimerMovesItsDeadline)
{
    ManualClock clock;
    FrameTimers timers(clock);
    timers.start(FrameTimers::kCommandState, 100ms);
    timers.start(FrameTimers::kSpeakResult, 500ms);
    clock.advance(400ms);
    EXPECT_EQ(timers.due(), std::vector<int>{1});
    timers.start(FrameTimers::kSpeakResult, 500ms); // restarted at 400 ms
    clock.advance(200ms);
    EXPECT_EQ(timers.due(), std::vector<int>{1});
    EXPECT_EQ(timers.nextDeadline(), 700ms);
    clock.advance(300ms);
    EXPECT_EQ(timers.due(), (std::vector<int>{1, 5}));
    timers.kill(FrameTimers::kSpeakResult);
    timers.kill(FrameTimers::kCommandState);
    EXPECT_FALSE(timers.nextDeadline());
}

TEST(FrameHintsTest, SecondShotWithinHalfASecondIsTheOnlyOneSpoken)
{
    Frame frame;
    auto first = talvodata::CShot::create();
    auto second = talvodata::CShot::create();
    frame.hints.onUpdate(12, ShotAddedHint{nullptr, first.get()});
    EXPECT_EQ(frame.take(), (std::vector<std::string>{"sound Shot", "status", "states", "preview"}));
    frame.advance(400ms);
    frame.hints.onUpdate(12, ShotAddedHint{nullptr, second.get()});
    frame.take();
    frame.advance(499ms);
    EXPECT_TRUE(frame.take().empty());
    frame.advance(1ms);
    EXPECT_EQ(frame.take(), std::vector<std::string>{"speak"});
    EXPECT_EQ(frame.actions.spoken, std::vector<IShot*>{second.get()});
    EXPECT_FALSE(frame.hints.flags.oneSecondAfterShot);
    frame.advance(500ms); // one second after the second shot
    EXPECT_EQ(frame.take(), std::vector<std::string>{"states"});
    EXPECT_TRUE(frame.hints.flags.oneSecondAfterShot);
    EXPECT_FALSE(frame.timers.nextDeadline());
}

TEST(FrameHintsTest, AutomaticReplayFollowsForceReplayAndAutoReplaySec)
{
    struct Case {
        std::uint32_t forceReplay;
        std::uint32_t autoReplaySec;
        std::uint32_t triggeringHint;
        std::uint32_t ignoredHint;
        std::vector<std::string> atHint;
    };
    const std::vector<Case> cases = {
        {1, 1, 13, 14, {"release"}},
        {0, 1, 14, 13, {}},
        {0, 0, 14, 13, {"replay"}},
        {1, 0, 13, 14, {"release", "replay"}},
    };
    for (const Case& c : cases) {
        Frame frame;
        frame.options.forceReplay = c.forceReplay;
        frame.options.autoReplaySec = c.autoReplaySec;
        frame.hints.flags.autoReplayPending = true;
        frame.hints.onUpdate(c.ignoredHint, {});
        EXPECT_TRUE(frame.take().empty());
        frame.hints.onUpdate(c.triggeringHint, {});
        EXPECT_EQ(frame.take(), c.atHint);
        frame.advance(1000ms);
        const std::vector<std::string> later =
            c.autoReplaySec ? std::vector<std::string>{"replay"} : std::vector<std::string>{};
        EXPECT_EQ(frame.take(), later) << c.forceReplay << c.autoReplaySec;
        EXPECT_FALSE(frame.hints.flags.autoReplayPending);
    }
}

TEST(FrameHintsTest, HintsClearFlagsSwitchViewsVetoAndCorrect)
{
    Frame frame;
    frame.options.replayAllPause = 2;
    frame.hints.flags.replayAll = true;
    frame.hints.onUpdate(17, {});
    frame.advance(1999ms);
    frame.take();
    frame.advance(1ms);
    EXPECT_EQ(frame.take(), std::vector<std::string>{"next"});

    frame.hints.flags.autoReplayPending = frame.hints.flags.oneSecondAfterShot = true;
    frame.hints.onUpdate(10, {});
    EXPECT_EQ(frame.take(), (std::vector<std::string>{"view 32789", "states"}));
    EXPECT_FALSE(frame.hints.flags.replayAll || frame.hints.flags.autoReplayPending ||
                 frame.hints.flags.oneSecondAfterShot);
    EXPECT_TRUE(frame.hints.flags.aimingOpen); // until the device's final conclusion
    frame.hints.onUpdate(14, {});
    EXPECT_FALSE(frame.hints.flags.aimingOpen);

    bool veto = false;
    frame.hints.onUpdate(15, AnswerHint{&veto});
    EXPECT_EQ(veto, 0);
    frame.hints.flags.aimingOpen = true;
    frame.hints.onUpdate(15, AnswerHint{&veto});
    EXPECT_EQ(veto, 1);

    const float dx = 1.5F;
    const float dy = -0.25F;
    frame.hints.onUpdate(19, TraceOffsetHint{dx, dy});
    EXPECT_EQ(frame.take(), std::vector<std::string>{"correct 1.500000 -0.250000"});

    frame.hints.flags.replayAll = true;
    frame.hints.onUpdate(0, {});
    EXPECT_EQ(frame.take(), (std::vector<std::string>{"status", "states", "expert", "preview"}));
    EXPECT_FALSE(frame.hints.flags.replayAll);
    frame.hints.onUpdate(3, {});
    EXPECT_EQ(frame.take(), (std::vector<std::string>{"status", "states"}));
}

TEST(FrameHintsTest, TheFrameAsAViewOfTheDocumentVetoesReplaysDuringAnAiming)
{
    struct FrameView final : CView {
        explicit FrameView(FrameHintReactions& reactions) : hints(reactions) {}
        void OnUpdate(CView*, DocumentHint hint, const HintPayload& payload) override { hints.onUpdate(hint, payload); }
        FrameHintReactions& hints;
    };
    const platform::fs::testing::TemporaryFolder folder;
    Frame frame;
    FrameView frameView(frame.hints);
    testsupport::RecordingView view;
    CTalvoData data;
    data.AddView(&frameView);
    data.AddView(&view);
    ASSERT_TRUE(data.Open(testsupport::writePractice(folder.path() / "practice.tlv", 3, 0).get()));
    platform::com::ComPtr<IShotCollection> shots;
    platform::com::ComPtr<IShot> first;
    ASSERT_TRUE(data.GetMatchShots(shots));
    ASSERT_EQ(S_OK, shots->get_Item(1, first.put()));
    (void)data.SetCurrentShot(first.get()); // false when it already is the current one
    frame.take();
    view.received.clear();

    frame.hints.flags.aimingOpen = true;
    EXPECT_FALSE(data.StartReplay());
    EXPECT_EQ(view.hints(), std::vector<int>{HintReplayQuery});
    frame.hints.flags.aimingOpen = false;
    EXPECT_TRUE(data.StartReplay());
    EXPECT_EQ(view.hints(), (std::vector<int>{HintReplayQuery, HintReplayQuery, HintReplayStart}));
    EXPECT_EQ(frame.take(), std::vector<std::string>{"view 32789"});
    data.RemoveView(&view);
    data.RemoveView(&frameView);
}

TEST(FrameHintsTest, CommandStateTickRefreshesTheStatusEveryHalfSecond)
{
    Frame frame;
    frame.timers.start(FrameTimers::kCommandState, 100ms);
    int statuses = 0;
    for (int tick = 0; tick < 20; ++tick) {
        frame.advance(100ms);
        for (const std::string& action : frame.take()) {
            statuses += action == "status";
        }
    }
    EXPECT_EQ(statuses, 4);
}

TEST(FrameCommandsTest, TraceTimesEventCodesAndMail)
{
    COptions options;
    options.saveSecBeforeShot = 7;
    options.saveSecAfterShot = 2;
    EXPECT_EQ(DeviceTraceTimes(options, 0), (TraceTimes{7, 2}));
    EXPECT_EQ(DeviceTraceTimes(options, 2), (TraceTimes{5, 5}));
    EXPECT_EQ(DeviceTraceTimes(options, 6), (TraceTimes{7, 2}));
    EXPECT_EQ(DeviceTraceTimes(options, 7), (TraceTimes{15, 15}));
    EXPECT_EQ(DeviceTraceTimes(options, 11), (TraceTimes{15, 15}));
    EXPECT_EQ(DeviceTraceTimes(options, 12), (TraceTimes{7, 2}));
    EXPECT_EQ(EventCodeOf(u"MRF-32-6"), 11);
    EXPECT_EQ(EventCodeOf(u"btln"), 1);

    EXPECT_TRUE(MailNeedsSave(false, 9));
    EXPECT_TRUE(MailNeedsSave(true, 10));
    EXPECT_FALSE(MailNeedsSave(false, 10));
    const std::filesystem::path quoted = "/tmp/Ann \"; rm -rf ~; \".talvo";
    EXPECT_EQ(MailArguments(quoted), (std::vector<std::string>{"xdg-email", "--attach", quoted.string()}));
    for (const int silent : {0, 1, 3}) {
        EXPECT_FALSE(MailResultMessage(silent));
    }
    EXPECT_EQ(MailResultMessage(2), u"Send Mail failed to send message.");
}

TEST(ServerLockMonitorTest, QuitsOneQuietTimeOutAfterTheLastUnlock)
{
    for (const auto timeout : {5000ms, 0ms}) {
        ManualClock clock;
        std::atomic<int> quits = 0;
        ServerLockMonitor monitor(clock, [&] { ++quits; });
        monitor.setTimes(timeout, timeout);
        monitor.start();
        monitor.lock();
        monitor.lock();
        monitor.unlock(); // an outside client still holds the server
        clock.awaitWaiters(1);
        clock.advance(10000ms);
        std::this_thread::sleep_for(10ms);
        EXPECT_EQ(quits, 0);
        monitor.unlock();
        // Virtual time moves in steps until the monitor quits; it never quits before one quiet time-out.
        auto quiet = 0ms;
        for (int step = 0; step < 1000 && quits == 0; ++step) {
            std::this_thread::sleep_for(1ms);
            if (quits == 0) {
                clock.advance(100ms);
                quiet += 100ms;
            }
        }
        EXPECT_EQ(quits, 1);
        EXPECT_GE(quiet, timeout);
        EXPECT_LE(quiet, timeout + 1000ms);
    }
}

/// A practice of one aiming per shot, the frame's view (told nothing of what it asks) and another view.
class FrameCommandsDocumentTest : public ::testing::Test {
protected:
    void open(int match, int sighting)
    {
        data.AddView(&frameView);
        data.AddView(&view);
        path = folder.path() / "practice.tlv";
        ASSERT_TRUE(data.Open(testsupport::writePractice(path, match, sighting).get()));
    }
    ~FrameCommandsDocumentTest() override
    {
        data.RemoveView(&view);
        data.RemoveView(&frameView);
    }

    /// The index of the current shot's aiming among every aiming, from 1; 0 for none.
    long currentAiming()
    {
        platform::com::ComPtr<IAiming> current;
        platform::com::ComPtr<IAimingCollection> aimings;
        LONG count = 0;
        if (!data.GetCurrentAiming(current) || !data.GetAimings(aimings) || FAILED(aimings->get_Count(&count))) {
            return 0;
        }
        for (LONG i = 1; i <= count; ++i) {
            platform::com::ComPtr<IAiming> aiming;
            if (SUCCEEDED(aimings->get_Item(i, aiming.put())) &&
                platform::com::isSameObject(aiming.get(), current.get())) {
                return i;
            }
        }
        return 0;
    }

    const platform::fs::testing::TemporaryFolder folder;
    std::filesystem::path path;
    testsupport::RecordingView frameView;
    testsupport::RecordingView view;
    CTalvoAppModule module; // English
    CTalvoData data{TalvoDataServices{nullptr, nullptr, &module, {}}};
};

TEST_F(FrameCommandsDocumentTest, ReplayAllStartsAtTheFirstShotAndStepsThroughTheShownAimingsRoundAndRound)
{
    struct Case {
        bool sightings;
        std::vector<long> steps; // aimings in file order: the sighting aiming first
    };
    for (const Case& c : {Case{false, {3, 4, 2, 3}}, Case{true, {2, 3, 4, 1, 2}}}) {
        SCOPED_TRACE(c.sightings);
        open(3, 1);
        data.SetShowSightings(c.sightings, false);
        (void)data.SetCurrentShot(nullptr); // false when none was current
        EXPECT_TRUE(ToggleReplayAll(data, false, &frameView));
        EXPECT_EQ(currentAiming(), c.sightings ? 1 : 2);
        EXPECT_EQ(view.hints().back(), HintReplayStart);
        frameView.received.clear();
        for (const long expected : c.steps) {
            view.received.clear();
            EXPECT_TRUE(ReplayNextAiming(data, &frameView));
            EXPECT_EQ(currentAiming(), expected);
            EXPECT_EQ(view.hints(), (std::vector<int>{HintCurrentShot, HintReplayQuery, HintReplayStart}));
        }
        // The frame is not told of the shots it made current, so its Replay all goes on.
        for (const auto& update : frameView.received) {
            EXPECT_NE(update.hint, HintCurrentShot);
        }
        EXPECT_FALSE(ToggleReplayAll(data, true, &frameView));
        EXPECT_EQ(view.hints().back(), HintReplayEnd);
        data.RemoveView(&view);
        data.RemoveView(&frameView);
        data.Reset();
    }
}

TEST_F(FrameCommandsDocumentTest, ReplayAllNeedsAShotAndItsStepNeedsTwoAimings)
{
    open(1, 0);
    EXPECT_FALSE(ReplayNextAiming(data, &frameView));
    ASSERT_TRUE(data.ClearShots());
    EXPECT_FALSE(ToggleReplayAll(data, false, &frameView));
    EXPECT_EQ(data.GetReplayState(), 0);
}

TEST_F(FrameCommandsDocumentTest, ANewPositionSavesTheModifiedPracticeAndStartsItAgainEmpty)
{
    open(2, 0);
    data.SetModified();
    ASSERT_EQ(RestartWithPosition(data, u"prone"), PositionChange::Restarted);
    platform::com::Bstr text;
    EXPECT_TRUE(data.GetPosition(text));
    EXPECT_EQ(text.view(), u"prone");
    std::u16string shown;
    EXPECT_TRUE(data.GetPositionText(shown));
    EXPECT_EQ(shown, u"Prone");
    EXPECT_TRUE(data.GetFileName(text));
    EXPECT_TRUE(text.view().empty());
    EXPECT_FALSE(data.IsModified());
    platform::com::ComPtr<IShotCollection> shots;
    LONG count = -1;
    ASSERT_TRUE(data.GetShots(shots));
    ASSERT_EQ(S_OK, shots->get_Count(&count));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(view.hints().back(), HintReset);
    // The shots were saved before they went.
    CTalvoData saved;
    ASSERT_TRUE(saved.Open(platform::com::Bstr(path.string()).get()));
    ASSERT_TRUE(saved.GetShots(shots));
    ASSERT_EQ(S_OK, shots->get_Count(&count));
    EXPECT_EQ(count, 2);

    view.received.clear();
    data.SetModified();
    EXPECT_EQ(RestartWithPosition(data, u"prone"), PositionChange::Unchanged);
    EXPECT_TRUE(view.received.empty());
}

TEST(FrameCommandsTest, PositionsAndTheHideShotTexts)
{
    EXPECT_EQ(PositionOfCommand(cmd::Prone)->subTarget, 2);
    EXPECT_EQ(PositionOfCommand(cmd::Standing)->word, u"standing");
    EXPECT_EQ(PositionOfCommand(cmd::Kneeling)->subTarget, -1);
    EXPECT_FALSE(PositionOfCommand(cmd::Match));
    EXPECT_EQ(HideShotMenuText(u"Hide shot\nRestore shot", false), u"Hide shot");
    EXPECT_EQ(HideShotMenuText(u"Hide shot\nRestore shot", true), u"Restore shot");
    EXPECT_EQ(HideShotMenuText(u"Hide shot", true), u"Hide shot");
}

} // namespace
