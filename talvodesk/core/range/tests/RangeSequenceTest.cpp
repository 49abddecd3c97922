#include "talvodesk/core/range/RangeSequence.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/practice/PracticeDevice.h"
#include "talvodesk/core/practice/PracticeRun.h"
#include "talvodesk/core/range/RangeFrame.h"
#include "talvodesk/core/range/RangePacing.h"
#include "talvodesk/core/range/RangeSteps.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace talvodesk {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using std::chrono::milliseconds;

constexpr std::uint32_t kTick = 10;

/// What the user does before the step message of a tick.
enum class Act { Hit, Continue };
struct Action {
    std::uint32_t at;
    Act act;
    int times = 1;
};

/// The frame, wired as the main frame wires it: lights and window of a real practice run over a logging device
/// control. Everything the sequence makes happen is logged per tick as "<ms> <what>... [<new state>]", with the
/// device's light as off/red/green, its aiming conclusion as conclude, window changes as open/closed, prompts in
/// single quotes, recorded shots as hit and booked missed shots as "missed <series>"; a run of equal entries is
/// written once with "xN".
class RangeSequenceTest : public ::testing::Test, public RangeFrame, public CView {
protected:
    RangeSequenceTest() { m_data.AddView(this); }
    ~RangeSequenceTest() override { m_data.RemoveView(this); }

    /// Plays a practice of `event` from tick 0 to `until`, doing `actions` and, when set, `each` before every pass.
    std::vector<std::string> play(const char* event, const std::vector<Action>& actions, std::uint32_t until,
                                  const std::function<void(std::uint32_t)>& each = {})
    {
        m_data.Reset();
        EXPECT_TRUE(m_data.NewPractice(talvodata::testsupport::shippedEvent(event).get(), Bstr("Ann").get(), 0,
                                       Bstr("fake").get(), 12));
        m_event = event;
        m_device->semaphoreAvailable = true;
        m_run.Start(&m_port, /*matchMode=*/false, -1);
        m_running = true;
        m_device->clearLog();
        m_log.clear();
        m_prompts.clear();
        m_base += elapsed();
        m_sequence.Begin();
        m_pacing.setArmed(true);
        m_state = m_steps.rangeState();
        for (std::uint32_t now = 0; now <= until; now = elapsed()) {
            for (const Action& action : actions) {
                if (action.at == now) {
                    for (int i = 0; i < action.times; ++i) {
                        act(action.act);
                    }
                }
            }
            if (each) {
                each(now);
            }
            m_sequence.OnRangeCommandStep();
            flush(now);
            m_clock.advance(milliseconds(kTick));
        }
        return m_log;
    }

    /// Milliseconds since the practice started.
    std::uint32_t elapsed() const { return static_cast<std::uint32_t>(m_clock.steadyNow().count()) - m_base; }

    void act(Act what)
    {
        if (what == Act::Continue) {
            (void)m_steps.chooseContinue(); // Ignored unless a step waits for it.
            return;
        }
        auto aiming = talvodata::testsupport::AimingBuilder(m_event).samples(3).shot().build();
        ComPtr<IShot> shot;
        ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
        m_run.OnShot(1, aiming.get(), shot.get());
        m_run.OnFinalConcludeAiming(1);
    }

    LONG count(bool match)
    {
        ComPtr<IShotCollection> shots;
        LONG n = 0;
        EXPECT_TRUE(match ? m_data.GetMatchShots(shots) : m_data.GetSightingShots(shots));
        EXPECT_EQ(S_OK, shots->get_Count(&n));
        return n;
    }

    // RangeFrame
    ITalvoDevice* rangeDevice() override { return m_running ? m_device.get() : nullptr; }
    void lightOff() override { m_run.SemaphoreOff(); }
    void lightRed() override { m_run.SemaphoreRed(); }
    void lightGreen() override { m_run.SemaphoreGreen(); }
    bool isShootingWindowOpen() const override { return m_run.ShootingWindowOpen(); }
    void setShootingWindowOpen(bool open) override
    {
        m_run.SetShootingWindowOpen(open);
        note(open ? "open" : "closed");
        if (open) {
            m_openedAt = elapsed();
        }
    }
    void calibrate() override
    {
        note("calibrate");
        EXPECT_FALSE(m_pacing.takeStep()) << "the sequence is disarmed while the dialog is open";
        if (onCalibrate) {
            onCalibrate();
        }
    }
    void enterMatchMode() override
    {
        m_run.SetMatchMode(true);
        note("match");
    }
    void playPrompt(std::u16string_view name) override
    {
        const std::string text(name.begin(), name.end());
        m_prompts.push_back(text);
        note("'" + text + "'");
    }
    void stopPractice() override
    {
        m_run.Stop();
        m_running = false;
        m_pacing.setArmed(false); // As the stop of the pacing thread does.
        note("stop");
    }

    // CView: the document's shots as they are added.
    void OnUpdate(CView*, DocumentHint hint, const HintPayload& payload) override
    {
        if (hint != HintShotAdded) {
            return;
        }
        const auto* added = payload.get<ShotAddedHint>();
        IShot* shot = added->shot;
        VARIANT_BOOL missed = VARIANT_FALSE;
        EXPECT_EQ(S_OK, shot->get_Missed(&missed));
        if (missed == VARIANT_FALSE) {
            note("hit");
            return;
        }
        ComPtr<IAimingAttr> attributes;
        VARIANT_BOOL match = VARIANT_FALSE;
        EXPECT_EQ(S_OK, added->aiming->get_Attr(attributes.put()));
        EXPECT_EQ(S_OK, attributes->get_Match(&match));
        note(match == VARIANT_TRUE ? "missed match" : "missed sighting");
        m_lastMissed = ComPtr<IShot>(shot);
    }

    void note(const std::string& what)
    {
        drainDevice();
        m_line.push_back(what);
    }

    void drainDevice()
    {
        static const std::map<std::string, std::string> kNames{{"Semaphore=0", "off"},
                                                               {"Semaphore=1", "green"},
                                                               {"Semaphore=2", "red"},
                                                               {"ConcludeCurrentAiming(1)", "conclude"}};
        for (const std::string& entry : m_device->log()) {
            const auto found = kNames.find(entry);
            m_line.push_back(found != kNames.end() ? found->second : entry);
        }
        m_device->clearLog();
    }

    void flush(std::uint32_t at)
    {
        drainDevice();
        const int state = m_steps.rangeState();
        if (m_line.empty() && state == m_state) {
            return;
        }
        std::string text = std::to_string(at);
        for (std::size_t i = 0; i < m_line.size();) {
            std::size_t same = 1;
            while (i + same < m_line.size() && m_line[i + same] == m_line[i]) {
                ++same;
            }
            text += " " + m_line[i] + (same > 1 ? " x" + std::to_string(same) : "");
            i += same;
        }
        if (state != m_state) {
            text += " [" + std::to_string(state) + "]";
            m_state = state;
        }
        m_log.push_back(text);
        m_line.clear();
    }

    platform::time::ManualClock m_clock{46000.25};
    COptions m_options;
    CTalvoData m_data;
    PracticeRun m_run{{m_data, m_options, m_clock, nullptr, nullptr}};
    ComPtr<testsupport::FakeTalvoDevice> m_device = platform::com::makeComObject<testsupport::FakeTalvoDevice>();
    TalvoDevicePort m_port{m_device};
    RangeSteps m_steps{m_clock, &StringTable::englishText, [](const std::u16string&) {}};
    RangePacing m_pacing{m_clock, [] { return true; }};
    RangeSequence m_sequence{m_steps, m_pacing, m_data, *this};
    std::function<void()> onCalibrate;
    std::uint32_t m_openedAt = 0;
    ComPtr<IShot> m_lastMissed;
    std::vector<std::string> m_prompts;

private:
    const char* m_event = "";
    std::uint32_t m_base = 0;
    bool m_running = false;
    int m_state = 0;
    std::vector<std::string> m_line;
    std::vector<std::string> m_log;
};

TEST_F(RangeSequenceTest, SP1SeriesEndByShotsOrTimeAndBookTheMissingMatchShots)
{
    onCalibrate = [this] { m_clock.advance(milliseconds(2000)); }; // The next wait starts after the dialog.
    const std::vector<Action> actions{
        {3000, Act::Continue},                          // Not waiting yet: ignored.
        {20000, Act::Hit, 3},                           // 3 sighting shots; the window ends by time without booking.
        {314010, Act::Hit},                             // Window closed: not recorded.
        {320000, Act::Continue}, {340000, Act::Hit, 3}, // 3 of 5 match shots.
        {632010, Act::Continue},                        // Taken: the step back already waits for it.
    };
    const std::vector<std::string> expected{
        "0 off conclude closed calibrate 'Load' [2]",
        "7000 'Attention' red [3]",
        "14000 green conclude open [4]",
        "20000 hit x3",
        "314000 conclude closed off 'Unload' [6]",
        "320000 match 'Load' [7]",
        "325000 'Attention' red [8]",
        "332000 green conclude open [9]",
        "340000 hit x3",
        "632000 conclude closed off 'Unload' missed match x2 [6]",
        "632010 match 'Load' [7]",
        "637010 'Attention' red [8]",
    };
    EXPECT_EQ(expected, play("SP1", actions, 640000));
    EXPECT_EQ(3, count(false));
    EXPECT_EQ(5, count(true));
    ComPtr<IShot> current;
    ASSERT_TRUE(m_data.GetCurrentShot(current));
    EXPECT_EQ(m_lastMissed.get(), current.get()) << "each booked shot becomes the current one";
}

TEST_F(RangeSequenceTest, SP2GivesEachShotItsOwnWindowAndBooksAnEmptyOne)
{
    const std::vector<Action> actions{
        {13000, Act::Hit},
        {35600, Act::Hit}, // At the closing tick: still inside.
        {43000, Act::Hit},
        {60000, Act::Continue},
    };
    const std::vector<std::string> expected{
        "0 off conclude closed calibrate 'Load' [2]",
        "5000 'Attention' red [3]",
        "12000 green conclude open [4]",
        "13000 hit",
        "15200 conclude closed red [3]", // Back a step: the next 7 s count from this tick.
        "22200 green conclude open [4]",
        "25400 conclude closed missed sighting red [3]",
        "32400 green conclude open [4]",
        "35600 hit conclude closed red [3]",
        "42600 green conclude open [4]",
        "43000 hit",
        "45800 conclude closed red [3]",
        "52800 green conclude open [4]",
        "56000 conclude closed missed sighting off 'Unload' [6]",
        "60000 match 'Load' [7]",
        "65000 'Attention' red [8]",
        "72000 green conclude open [9]",
        "75200 conclude closed missed match red [8]",
        "82200 green conclude open [9]",
    };
    EXPECT_EQ(expected, play("SP2", actions, 82200));
    EXPECT_EQ(5, count(false));
}

TEST_F(RangeSequenceTest, N4TL3RunsSilentThreeSecondWindowsUntilStopped)
{
    const std::vector<Action> actions{
        {23000, Act::Hit}, {45010, Act::Continue}, {52000, Act::Hit}, {80000, Act::Continue}};
    const std::vector<std::string> expected{
        "0 off conclude closed calibrate [2]",
        "5000 red [3]",
        "12000 green conclude open [4]",
        "15000 conclude closed missed sighting red [3]",
        "22000 green conclude open [4]",
        "23000 hit",
        "25000 conclude closed red [3]",
        "32000 green conclude open [4]",
        "35000 conclude closed missed sighting red [3]",
        "42000 green conclude open [4]",
        "45000 conclude closed missed sighting off [6]",
        "45010 match [7]",
        "48010 red [8]",
        "51010 green conclude open [9]",
        "52000 hit",
        "54010 conclude closed red [8]",
        "57010 green conclude open [9]",
        "60010 conclude closed missed match red [8]",
        "63010 green conclude open [9]",
        "66010 conclude closed missed match red [8]",
        "69010 green conclude open [9]",
        "72010 conclude closed missed match off [6]",
        "80000 match [7]",
        "83000 red [8]",
        "86000 green conclude open [9]",
    };
    EXPECT_EQ(expected, play("N4TL3", actions, 86000));
    EXPECT_TRUE(m_prompts.empty());
}

TEST_F(RangeSequenceTest, N4TL15CountsTheMatchShotsOverAllSeries)
{
    const std::vector<Action> actions{
        {13000, Act::Hit, 4}, {14000, Act::Continue}, {27000, Act::Hit}, {41010, Act::Continue}, {54000, Act::Hit, 4}};
    const std::vector<std::string> expected{
        "0 off conclude closed calibrate [2]",
        "5000 'Attention' red [3]",
        "12000 green conclude open [4]",
        "13000 hit x4 conclude closed off [6]",
        "14000 match [7]",
        "19000 red [8]",
        "26000 green conclude open [9]",
        "27000 hit",
        "41000 conclude closed off missed match x3 [6]",
        "41010 match [7]",
        "46010 red [8]",
        "53010 green conclude open [9]",
        "54000 hit x4 conclude closed off [6]", // 8 match shots: 1 hit, 3 booked, 4 hits.
    };
    EXPECT_EQ(expected, play("N4TL15", actions, 60000));
}

TEST_F(RangeSequenceTest, MRFMatchWindowsLastByEvent)
{
    const struct {
        const char* event;
        std::uint32_t window;
    } events[] = {{"MRF-22-10", 10000}, {"MRF-32-10", 10000}, {"MRF-22-8", 8000},
                  {"MRF-32-8", 8000},   {"MRF-22-6", 6000},   {"MRF-32-6", 6000}};
    for (const auto& e : events) {
        SCOPED_TRACE(e.event);
        const std::uint32_t end = 40000 + e.window;
        const std::vector<Action> actions{
            {13000, Act::Hit, 4}, {28000, Act::Continue}, {41000, Act::Hit, 2}, {end + 7010, Act::Continue}};
        const auto at = [](std::uint32_t ms, const char* what) { return std::to_string(ms) + " " + what; };
        const std::vector<std::string> expected{
            "0 off conclude closed calibrate [2]",
            "5000 red [3]",
            "12000 green conclude open [4]",
            "13000 hit x4",
            "27000 conclude closed off [6]", // 15 s with 4 of 5 sighting shots; none booked.
            "28000 match [7]",
            "33000 'Attention' red [8]",
            "40000 'beep-start' green conclude open [9]",
            "41000 hit x2",
            at(end, "conclude closed red 'beep-stop' missed match x3 [10]"),
            at(end + 7000, "'Unload' red [6]"),
            at(end + 7010, "match [7]"),
        };
        EXPECT_EQ(expected, play(e.event, actions, end + 7010));
    }
}

TEST_F(RangeSequenceTest, TheFirstThreeEventsStopThePracticeThemselves)
{
    const struct {
        const char* event;
        int hitsPerWindow;
        std::uint32_t stoppedAt;
        LONG matchShots;
        std::vector<std::string> prompts;
    } events[] = {
        {"SP1", 5, 91060, 30, {}},
        {"SP2", 1, 392060, 30, {}},
        {"SPF",
         1,
         168020,
         10,
         {"For the sighting series - load", "Attention", "Unload", "For the first competion series - load", "Attention",
          "Unload", "For the next competition series - load", "Attention", "Unload"}},
    };
    for (const auto& e : events) {
        SCOPED_TRACE(e.event);
        // Continue as soon as it counts, and the window's shots a second after it opens.
        const auto each = [&](std::uint32_t now) {
            act(Act::Continue);
            if (isShootingWindowOpen() && now == m_openedAt + 1000) {
                for (int i = 0; i < e.hitsPerWindow; ++i) {
                    act(Act::Hit);
                }
            }
        };
        const std::vector<std::string> log = play(e.event, {}, e.stoppedAt + 10000, each);
        ASSERT_FALSE(log.empty());
        EXPECT_EQ(std::to_string(e.stoppedAt), log.back().substr(0, log.back().find(' ')));
        EXPECT_NE(std::string::npos, log.back().find("stop [0]")) << log.back();
        EXPECT_EQ(5, count(false));
        EXPECT_EQ(e.matchShots, count(true));
        if (!e.prompts.empty()) {
            EXPECT_EQ(e.prompts, m_prompts);
        }
    }
}

TEST_F(RangeSequenceTest, AStopDuringCalibrationEndsTheSequence)
{
    onCalibrate = [this] { stopPractice(); };
    EXPECT_EQ(std::vector<std::string>{"0 off conclude closed calibrate stop [0]"}, play("SP1", {}, 20000));
    EXPECT_FALSE(m_pacing.takeStep()) << "left disarmed";
}

TEST_F(RangeSequenceTest, OtherEventsAndStatesDoNothing)
{
    EXPECT_EQ(std::vector<std::string>{"0 hit"}, play("AR10", {{0, Act::Hit}}, 20000));
    for (const int state : {0, 12}) {
        (void)play("SP1", {}, 0);
        m_steps.NextRangeState(state);
        m_clock.advance(milliseconds(400000));
        m_sequence.OnRangeCommandStep();
        EXPECT_EQ(state, m_steps.rangeState());
        EXPECT_TRUE(m_device->log().empty());
    }
}

} // namespace
} // namespace talvodesk
