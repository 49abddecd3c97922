#include "talvodesk/core/practice/PracticeLifecycle.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/practice/PracticeRun.h"
#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"
#include "talvodesk/core/testing/PracticeFiles.h"
#include "talvodesk/core/testing/RecordingFrame.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/EventParams.h"
#include "talvodata/tests/support/Events.h"

#include "platform/com/Variant.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <functional>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

/// The frame side of a practice as text lines, in the order asked; the start dialog connects the device and gives
/// `choice`.
class RecordingPracticeFrame final : public PracticeFrame {
public:
    ComPtr<ITalvoDevice> CreateDevice() override
    {
        log.push_back("create device");
        return ComPtr<ITalvoDevice>(device.get());
    }
    std::optional<StartPracticeChoice> RunStartDialog(ITalvoDevice* shown, const std::u16string& event,
                                                      const std::u16string& shooter) override
    {
        log.push_back("start dialog " + platform::com::utf16ToUtf8(event) + "/" + platform::com::utf16ToUtf8(shooter));
        if (choice) {
            (void)shown->put_Connected(VARIANT_TRUE); // The fake's answer decides.
        }
        if (duringDialog) {
            std::exchange(duringDialog, {})();
        }
        return choice;
    }
    void RunCalibrationDialog(ITalvoDevice*) override
    {
        log.push_back("calibration dialog, sinks " + std::to_string(device->sinkCount()));
    }
    void ShowSeriesPane(bool hide) override { log.push_back(hide ? "right pane only" : "both panes"); }
    void FocusSeriesView() override { log.push_back("focus series"); }
    void SwitchToTraceView() override { log.push_back("trace view"); }
    void RefreshExpertMode() override { log.push_back("expert mode"); }
    void RefreshCommandStates() override { log.push_back("command states"); }
    void PostCalibration() override { log.push_back("post calibration"); }
    void ClearReplayAll() override { log.push_back("clear replay all"); }
    void ClearAutoReplay() override { log.push_back("clear auto replay"); }
    void ReleaseOpenAiming() override { log.push_back("release aiming"); }
    void ResetRangeSequence() override { log.push_back("range reset"); }
    void StartRangePacing(std::chrono::milliseconds period) override
    {
        log.push_back("pacing " + std::to_string(period.count()));
    }
    bool StopRangePacing() override
    {
        log.push_back("stop pacing");
        return false;
    }

    ComPtr<FakeTalvoDevice> device;
    std::optional<StartPracticeChoice> choice;
    /// Runs once inside the dialog, as a command arriving while it is open would.
    std::function<void()> duringDialog;
    std::vector<std::string> log;
};

class PracticeLifecycleTest : public platform::registry::testing::RegistryFixture {
protected:
    PracticeLifecycleTest()
    {
        setEnvironment("HOME", folder().c_str());
        std::filesystem::create_directories(folder() / "Talvo catalog");
        data.AddView(&view);
        view.hook = [this](const ReceivedHint& hint) {
            frame.log.push_back("hint " + std::to_string(hint.hint));
            if (hint.hint == HintPositionSet) {
                subTargetHinted = hint.payload.get<PositionHint>()->subTarget;
            }
        };
    }

    /// A device of the event that fires `source`'s events, chosen by the dialog with shooter "Ann".
    void choose(const char* event, long position = -1, long model = 100, bool wantsCalibration = false)
    {
        source = std::make_unique<FakeDevice>(event);
        frame.device = platform::com::makeComObject<FakeTalvoDevice>(source->connectionPoint());
        frame.device->modelVersion = model;
        frame.device->calibrationWanted = wantsCalibration;
        frame.choice = StartPracticeChoice{talvodata::testsupport::shippedEvent(event), u"Ann", position, u"SN-7"};
    }
    bool start(const char* event, long position = -1, long model = 100, bool wantsCalibration = false)
    {
        choose(event, position, model, wantsCalibration);
        return lifecycle.OnStartPractice(u"", u"");
    }
    std::optional<std::uint32_t> storedFCoefficient(const char* event)
    {
        return LoadFCoefficient(*root, platform::com::utf8ToUtf16(event), u"Ann");
    }

    platform::time::ManualClock clock{46000.5};
    std::optional<platform::registry::Key> root = OpenSettingsRoot();
    RecordingFrame documentFrame;
    RecordingLivePoster live;
    RecordingView view;
    COptions options;
    CTalvoData data{{&documentFrame, nullptr, nullptr, {}}};
    PracticeRun run{{data, options, clock, nullptr, &live}};
    RecordingPracticeFrame frame;
    PracticeLifecycle lifecycle{{data, run, frame, clock, root ? &*root : nullptr}};
    std::unique_ptr<FakeDevice> source;
    std::int32_t subTargetHinted = 0;
};

TEST_F(PracticeLifecycleTest, StartAndStopRunTheirStepsInOrder)
{
    ASSERT_TRUE(root);
    choose("AR10");
    ASSERT_TRUE(lifecycle.OnStartPractice(u"AR10", u"Ann"));
    const std::vector<std::string> started{"clear replay all", "create device", "start dialog AR10/Ann", "both panes",
                                           "focus series",     "range reset",   "expert mode",           "hint 0",
                                           "hint 21",          "trace view"};
    EXPECT_EQ(started, frame.log);
    EXPECT_EQ(std::vector<std::string>{"Connected=1"}, frame.device->log());
    EXPECT_EQ(1U, frame.device->sinkCount());
    EXPECT_TRUE(run.IsRunning());
    EXPECT_FALSE(run.MatchMode());
    EXPECT_EQ(35, data.FCoefficient());
    Bstr position;
    EXPECT_FALSE(data.GetPosition(position) && position.view().size() > 0);

    (void)source->aiming(/*before=*/20, /*shots=*/1); // Reaches the document through the frame's sink.
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    ASSERT_TRUE(data.GetShots(shots));
    EXPECT_EQ(S_OK, shots->get_Count(&count));
    EXPECT_EQ(1, count);

    EXPECT_FALSE(lifecycle.OnStartPractice(u"AP10", u"Bob")) << "a practice already runs";
    EXPECT_EQ(1U, frame.device->sinkCount());

    frame.log.clear();
    live.posts.clear();
    lifecycle.OnStopPractice();
    const std::vector<std::string> stopped{"clear replay all", "clear auto replay", "release aiming", "expert mode",
                                           "stop pacing",      "hint 23",           "command states"};
    EXPECT_EQ(stopped, frame.log);
    EXPECT_EQ("Connected=0", frame.device->log().back());
    EXPECT_EQ(0U, frame.device->sinkCount());
    EXPECT_EQ(std::vector<std::string>{"state 5"}, live.posts);
    EXPECT_FALSE(lifecycle.HasDevice());
    EXPECT_FALSE(run.IsRunning());
    EXPECT_TRUE(data.IsValid()) << "a practice with shots stays open";
    EXPECT_EQ(std::optional<std::uint32_t>(35), storedFCoefficient("AR10"));

    frame.log.clear();
    lifecycle.OnStopPractice();
    EXPECT_EQ((std::vector<std::string>{"clear replay all", "clear auto replay"}), frame.log);
}

TEST_F(PracticeLifecycleTest, FCoefficientDefaultsFollowTheEvent)
{
    auto custom = [](const char* gun, const char* threePositions) {
        auto event = talvodata::CEventParams::create();
        EXPECT_EQ(S_OK, event->put_ShortName(Bstr("X1").get()));
        for (const auto& [key, text] : {std::pair{"gun", gun}, std::pair{"_three_positions", threePositions}}) {
            if (text) {
                const auto value = platform::com::Variant::fromString(Bstr(text));
                EXPECT_EQ(S_OK, event->put_Value(Bstr(key).get(), value.get()));
            }
        }
        return ComPtr<IEventParams>(event.get());
    };
    const struct {
        const char* name;
        ComPtr<IEventParams> event;
        long expected;
    } cases[] = {
        {"AR10", talvodata::testsupport::shippedEvent("AR10"), 35},
        {"AP10", talvodata::testsupport::shippedEvent("AP10"), 12},
        {"three positions", talvodata::testsupport::shippedEvent("SBR50"), 40},
        {"SBP50", talvodata::testsupport::shippedEvent("SBP50"), 10},
        {"biathlon rifle", talvodata::testsupport::shippedEvent("BTLN"), 15},
        {"pistol", talvodata::testsupport::shippedEvent("SP1"), 10},
        {"rifle", talvodata::testsupport::shippedEvent("R300"), 30},
        {"pistol marked three positions", custom("pistol", "yes"), 40},
        {"empty three-positions mark", custom("pistol", ""), 10},
        {"other gun", custom("shotgun", nullptr), 15},
        {"no gun", custom(nullptr, nullptr), 15},
        {"no event", nullptr, 15},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, DefaultFCoefficient(c.event.get()));
    }
}

TEST_F(PracticeLifecycleTest, AStoredFCoefficientCountsOnlyWithinFiveToAHundred)
{
    ASSERT_TRUE(root);
    const struct {
        std::uint32_t stored;
        long used;
    } cases[] = {{4, 35}, {5, 5}, {50, 50}, {100, 100}, {101, 35}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        ASSERT_TRUE(SaveFCoefficient(*root, u"AR10", u"Ann", c.stored));
        ASSERT_TRUE(start("AR10"));
        EXPECT_EQ(c.used, data.FCoefficient());
        (void)source->aiming(20, 1);
        lifecycle.OnStopPractice();
        EXPECT_EQ(std::optional<std::uint32_t>(static_cast<std::uint32_t>(c.used)), storedFCoefficient("AR10"))
            << "the practice's value is kept at stop";
    }
}

TEST_F(PracticeLifecycleTest, BiathlonPositionBecomesTheSubTargetAndThePracticeHasNoPosition)
{
    const struct {
        const char* name;
        long position;
        std::int32_t subTarget;
    } cases[] = {{"prone", 0, 2}, {"standing", 1, 1}, {"none chosen counts as standing", -1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame.log.clear();
        subTargetHinted = 0;
        ASSERT_TRUE(start("BTLN", c.position));
        EXPECT_EQ(c.subTarget, lifecycle.SubTarget());
        EXPECT_EQ(c.subTarget, run.SubTarget());
        EXPECT_EQ(c.subTarget, subTargetHinted);
        const auto hint21 = std::find(frame.log.begin(), frame.log.end(), "hint 21");
        ASSERT_NE(frame.log.end(), hint21);
        EXPECT_EQ("hint 26", *std::next(hint21));
        Bstr position;
        EXPECT_FALSE(data.GetPosition(position) && position.view().size() > 0);
        lifecycle.OnStopPractice();
    }
    frame.log.clear();
    ASSERT_TRUE(start("SBR50", /*position=*/2));
    EXPECT_EQ(-1, lifecycle.SubTarget());
    EXPECT_EQ(frame.log.end(), std::find(frame.log.begin(), frame.log.end(), "hint 26"));
    Bstr kneeling;
    EXPECT_TRUE(data.GetPosition(kneeling));
    EXPECT_EQ(u"kneeling", kneeling.view());
}

TEST_F(PracticeLifecycleTest, RangeEventsArePacedAndCalibratingSensorsAskForCalibration)
{
    const struct {
        const char* name;
        const char* event;
        long model;
        bool wanted;
        const char* expected; // The last thing the start asked of the frame.
    } cases[] = {
        {"image sensor on a range event", "SP1", 600, true, "post calibration"},
        {"image sensor not wanting calibration", "SP1", 600, false, "trace view"},
        {"serial sensor on a range event", "SP1", 300, true, "pacing 10"},
        {"last range event", "MRF-32-6", 100, false, "pacing 10"},
        {"optical sensor wanting calibration", "AR10", 500, true, "post calibration"},
        {"optical sensor content", "AR10", 500, false, "trace view"},
        {"serial sensor wanting calibration", "AR10", 499, true, "trace view"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        frame.log.clear();
        ASSERT_TRUE(start(c.event, -1, c.model, c.wanted));
        EXPECT_EQ(c.expected, frame.log.back());
        lifecycle.OnStopPractice();
    }
}

TEST_F(PracticeLifecycleTest, AFailedStartDisconnectsAndReleasesTheDevice)
{
    const struct {
        const char* name;
        std::function<void()> arrange;
        std::vector<std::string> hints;
    } cases[] = {
        {"dialog cancelled", [this] { frame.choice.reset(); }, {}},
        {"not connected", [this] { frame.device->connectSucceeds = false; }, {}},
        {"new practice refused", [this] { frame.choice->event.reset(); }, {"hint 0"}},
        {"stopped while the dialog runs",
         [this] { frame.duringDialog = [this] { lifecycle.OnStopPractice(); }; },
         {"hint 23", "hint 0"}},
        {"save question cancelled",
         [this] {
             writePractice(folder() / "old.talvo", 3, 0);
             ASSERT_TRUE(data.Open(Bstr((folder() / "old.talvo").string()).get()));
             data.SetModified();
             documentFrame.answer = Answer::Cancel;
         },
         {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        choose("AR10");
        c.arrange();
        const bool wasOpen = data.IsValid();
        frame.log.clear();
        EXPECT_FALSE(lifecycle.OnStartPractice(u"", u""));
        std::vector<std::string> hints;
        std::copy_if(frame.log.begin(), frame.log.end(), std::back_inserter(hints),
                     [](const std::string& line) { return line.starts_with("hint"); });
        EXPECT_EQ(c.hints, hints);
        EXPECT_EQ("Connected=0", frame.device->log().back());
        EXPECT_EQ(0U, frame.device->sinkCount());
        EXPECT_FALSE(lifecycle.HasDevice());
        EXPECT_FALSE(run.IsRunning());
        EXPECT_EQ(wasOpen, data.IsValid());
    }

    frame.device.reset();
    frame.log.clear();
    EXPECT_FALSE(lifecycle.OnStartPractice(u"", u""));
    EXPECT_EQ((std::vector<std::string>{"clear replay all", "create device"}), frame.log)
        << "without a device control nothing more happens";
}

TEST_F(PracticeLifecycleTest, StoppingWithoutShotsReturnsToTheEmptyStartState)
{
    ASSERT_TRUE(start("AP10"));
    frame.log.clear();
    lifecycle.OnStopPractice();
    const std::vector<std::string> expected{"clear replay all", "clear auto replay", "release aiming", "expert mode",
                                            "stop pacing",      "hint 23",           "command states", "hint 0",
                                            "right pane only"};
    EXPECT_EQ(expected, frame.log);
    EXPECT_FALSE(data.IsValid());
    EXPECT_EQ(std::optional<std::uint32_t>(12), storedFCoefficient("AP10"));
}

TEST_F(PracticeLifecycleTest, CalibrationMakesTheDialogTheOnlySinkWhileItRuns)
{
    lifecycle.OnCalibration();
    EXPECT_TRUE(frame.log.empty()) << "nothing without a device";
    ASSERT_TRUE(start("AR10"));
    frame.log.clear();
    lifecycle.OnCalibration();
    EXPECT_EQ(std::vector<std::string>{"calibration dialog, sinks 0"}, frame.log);
    EXPECT_EQ(1U, frame.device->sinkCount());
    (void)source->aiming(20, 1);
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    ASSERT_TRUE(data.GetShots(shots));
    EXPECT_EQ(S_OK, shots->get_Count(&count));
    EXPECT_EQ(1, count) << "the frame hears the device again";
}

} // namespace
