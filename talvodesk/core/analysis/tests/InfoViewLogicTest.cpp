#include "talvodesk/core/analysis/InfoViewLogic.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/RecordingView.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "platform/com/Bstr.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/time/ManualClock.h"
#include "talvodata/TalvoDocument.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <set>
#include <vector>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr DATE kStart = 46000.5;

/// A shot resting at (x, y) hundredths of a millimetre through its whole trace, so its breach and its aiming
/// point over the control interval are that point and its trace has no length.
struct PlannedShot {
    double seconds;
    LONG x = 0;
    LONG y = 0;
    bool missed = false;
    bool hidden = false;
    bool match = true;
    LONG subTarget = 1;
};

PlannedShot missedAt(double seconds)
{
    return {seconds, 0, 0, true};
}

/// Saves a practice of those shots, each in its own aiming entered five seconds before the shot.
Bstr writeDocument(const std::filesystem::path& path, const char* event, const std::vector<PlannedShot>& shots)
{
    auto document = talvodata::CTalvoDocument::create().value();
    EXPECT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent(event).get()));
    EXPECT_EQ(S_OK, document->put_ShooterName(Bstr("Ann").get()));
    ComPtr<IAimingCollection> aimings;
    EXPECT_EQ(S_OK, document->get_Aimings(aimings.put()));
    for (const PlannedShot& planned : shots) {
        ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder(event)
                                     .at(planned.x, planned.y)
                                     .samples(300)
                                     .shot(planned.missed)
                                     .conclude()
                                     .build();
        ComPtr<IAimingAttr> attributes;
        EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        EXPECT_EQ(S_OK, attributes->put_Match(planned.match ? VARIANT_TRUE : VARIANT_FALSE));
        EXPECT_EQ(S_OK, attributes->put_EnterTime(kStart + (planned.seconds - 5) * kSecond));
        EXPECT_EQ(S_OK, attributes->put_SubTarget(planned.subTarget));
        ComPtr<IShot> shot;
        EXPECT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
        EXPECT_EQ(S_OK, shot->put_ShotTime(kStart + planned.seconds * kSecond));
        EXPECT_EQ(S_OK, shot->put_Hidden(planned.hidden ? VARIANT_TRUE : VARIANT_FALSE));
        EXPECT_EQ(S_OK, aimings->Add(aiming.get()));
    }
    Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

/// The window side, recorded.
class RecordingHost final : public InfoViewHost {
public:
    bool isPageVisible() override { return visible; }
    void postCommand(std::uint16_t command) override { posted.push_back(command); }
    void setWaitCursor(bool) override {}
    void layoutPage() override { ++layouts; }
    void wakeAt(std::chrono::milliseconds deadline) override { wake = deadline; }

    bool visible = true;
    std::vector<int> posted;
    int layouts = 0;
    std::chrono::milliseconds wake{-1};
};

class InfoViewLogicTest : public platform::registry::testing::RegistryFixture {
protected:
    InfoViewLogicTest()
    {
        data.AddView(&logic);
        data.AddView(&other);
        logic.PageLoaded();
    }
    ~InfoViewLogicTest() override
    {
        data.RemoveView(&logic);
        data.RemoveView(&other);
    }

    void open(const char* event, const std::vector<PlannedShot>& shots)
    {
        ASSERT_TRUE(data.Open(writeDocument(folder() / "practice.talvo", event, shots).get()));
    }
    std::string html(std::u16string_view id) const
    {
        return platform::com::utf16ToUtf8(logic.page().GetElement(id)->html);
    }
    std::string display(std::u16string_view id) const
    {
        return platform::com::utf16ToUtf8(logic.page().GetElement(id)->display);
    }

    RecordingHost host;
    CTalvoAppModule module;
    COptions options;
    platform::time::ManualClock clock{kStart};
    CTalvoData data;
    InfoViewLogic logic{host, module, options, clock};
    RecordingView other;
};

TEST_F(InfoViewLogicTest, SummarizesTheMatchShotsBesideTheModelsShownShots)
{
    // Scores on the air rifle face: the centre 10.9, 1.25 mm off 10.5, 2.5 mm off 10.0.
    open("AR10", {{2, 0, 0, false, false, /*match=*/false},
                  {10, 0, 0},
                  {20, 125, 0},
                  missedAt(30),
                  {40, 300, 0, false, /*hidden=*/true}});
    ASSERT_TRUE(data.OpenModel(writeDocument(folder() / "model.talvo", "AR10",
                                             {{10, 0, 0}, {20, 0, 250}, {30, 500, 500, false, /*hidden=*/true}})
                                   .get()));
    const SideSummary& doc = logic.summary().sides[0];
    const SideSummary& model = logic.summary().sides[1];
    EXPECT_EQ(3, doc.shotCount);
    EXPECT_EQ(2, doc.hitCount);
    EXPECT_EQ(20, doc.integerResult);
    EXPECT_FLOAT_EQ(21.4F, doc.fractionalResult);
    EXPECT_FLOAT_EQ(7.133F, doc.averageResult);
    EXPECT_FLOAT_EQ(0.625F, doc.centreX);
    EXPECT_FLOAT_EQ(0.625F, doc.accuracy);
    EXPECT_FLOAT_EQ(1.25F, doc.groupSize);
    EXPECT_FLOAT_EQ(1.25F, doc.aimingStability);
    EXPECT_EQ(100, doc.steadiness);
    EXPECT_FLOAT_EQ(21.4F, doc.coincidedResult); // both 0.625 mm from the group centre: 10.7 each
    EXPECT_TRUE(doc.timesValid);
    EXPECT_NEAR(25 * kSecond, doc.totalTime, 1e-9); // from the first match aiming's entry
    EXPECT_NEAR(10 * kSecond, doc.longestInterval, 1e-9);
    EXPECT_EQ(100, doc.intervalStability);
    EXPECT_EQ(2, model.shotCount);
    EXPECT_FLOAT_EQ(20.9F, model.fractionalResult);
    EXPECT_FLOAT_EQ(10.45F, model.averageResult);
    EXPECT_FLOAT_EQ(2.5F, model.groupSize);
    EXPECT_EQ("3<font color=red> (2)</font>", html(u"idShotCount"));
    EXPECT_EQ("21.4 (+0.0)<font color=red> (21.0 (+0.1))</font>", html(u"idResultIntCoinsided"));
    EXPECT_EQ("block", display(u"idAllInfo"));
    EXPECT_EQ("none", display(u"idIntro"));

    // Hidden shots count once they are shown; the model's never do.
    ASSERT_TRUE(data.SetIncludeHidden(true));
    EXPECT_EQ(4, logic.summary().sides[0].shotCount);
    EXPECT_EQ(3, logic.summary().sides[0].hitCount);
    EXPECT_EQ(2, logic.summary().sides[1].shotCount);
    EXPECT_EQ("4<font color=red> (2)</font>", html(u"idShotCount"));
}

TEST_F(InfoViewLogicTest, APhaseOutsideASamplePeriodLeavesNoInfinityOnThePage)
{
    /// The id of every element the page sets.
    struct Recorder final : PageElements::Observer {
        void elementChanged(const std::u16string& id, const PageElements::Element&) override { ids.insert(id); }
        std::set<std::u16string> ids;
    };
    Recorder recorder;
    logic.page().setObserver(&recorder);
    const double cases[] = {1e30, -1e30, 1.5, std::numeric_limits<double>::infinity(),
                            std::numeric_limits<double>::quiet_NaN()};
    for (const double phase : cases) {
        SCOPED_TRACE(phase);
        // The aim moves, so the phase carries the breach along the trace; the second shot's phase is sound.
        auto document = talvodata::CTalvoDocument::create().value();
        ComPtr<IAimingCollection> aimings;
        ASSERT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent("AR10").get()));
        ASSERT_EQ(S_OK, document->get_Aimings(aimings.put()));
        for (int k = 0; k < 2; ++k) {
            ComPtr<IAiming> aiming =
                talvodata::testsupport::AimingBuilder("AR10").samples(300, 3, -2).shot().conclude().build();
            ComPtr<IAimingAttr> attributes;
            ASSERT_EQ(S_OK, aiming->get_Attr(attributes.put()));
            ASSERT_EQ(S_OK, attributes->put_Match(VARIANT_TRUE));
            ASSERT_EQ(S_OK, attributes->put_EnterTime(kStart + k * 10 * kSecond));
            ComPtr<IShot> shot;
            ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
            ASSERT_EQ(S_OK, shot->put_ShotTime(kStart + (k * 10 + 5) * kSecond));
            ASSERT_EQ(S_OK, shot->put_Value(Bstr("_microphone_phase").get(),
                                            platform::com::Variant::fromDouble(k == 0 ? phase : 0.5).get()));
            ASSERT_EQ(S_OK, aimings->Add(aiming.get()));
        }
        const Bstr name((folder() / "phase.talvo").string());
        ASSERT_EQ(S_OK, document->put_FileName(name.get()));
        ASSERT_EQ(S_OK, document->Save());
        ASSERT_TRUE(data.Open(name.get()));
        ASSERT_FALSE(recorder.ids.empty());
        for (const std::u16string& id : recorder.ids) {
            const std::string text = html(id);
            EXPECT_EQ(text.find("inf"), std::string::npos) << platform::com::utf16ToUtf8(id) << ": " << text;
            EXPECT_EQ(text.find("nan"), std::string::npos) << platform::com::utf16ToUtf8(id) << ": " << text;
        }
        const SideSummary& summary = logic.summary().sides[0];
        EXPECT_TRUE(std::isfinite(summary.groupSize) && std::isfinite(summary.accuracy) &&
                    std::isfinite(summary.centreX) && std::isfinite(summary.centreY));
    }
    logic.page().setObserver(nullptr);
}

TEST_F(InfoViewLogicTest, BiathlonAndUnorderedPracticesLayTheirPageOut)
{
    struct Case {
        const char* name;
        const char* event;
        std::vector<PlannedShot> shots;
        std::vector<std::pair<std::u16string_view, std::string>> html;
        std::vector<std::pair<std::u16string_view, std::string>> display;
    };
    const Case cases[] = {
        {"biathlon",
         "BTLN",
         {{10, -33000, 0, false, false, true, 1}, missedAt(20), {30, -33000, 0, false, false, true, 2}},
         {{u"idShotCount", "3"},
          {u"idResultInt", "20"},
          {u"idResultFractional", ""},
          {u"idAvgTimePerShot", "00:00:08"}},
         {{u"idTargetRow1", "none"},
          {u"idTargetStandingRow1", "block"},
          {u"idTargetProneRow1", "block"},
          {u"idResultFractionalTitle", "none"},
          {u"idResultIntCoinsidedRow", "none"},
          {u"idDiametralDispersionRow", "none"},
          {u"idAvgLenRow", "block"}}},
        {"unordered times",
         "AR10",
         {{10, 0, 0}, {30, 0, 0}, {20, 0, 0}},
         {{u"idDateTime", "n/a"},
          {u"idTotalShootingTime", "n/a"},
          {u"idAvgTimePerShot", "n/a"},
          {u"idStabilityOfTimeInterval", "n/a"},
          {u"idResultAverage", "10.900"}},
         {{u"idTargetRow1", "block"}, {u"idTargetStandingRow1", "none"}, {u"idStabilityOfTimeIntervalRow", "block"}}},
        {"all missed",
         "AR10",
         {missedAt(10), missedAt(20)},
         {{u"idShotCount", "2"}, {u"idResultInt", "0"}, {u"idResultAverage", "0.000 "}},
         {{u"idStatRow", "block"}, {u"idDiametralDispersionRow", "none"}, {u"idAvgLenRow", "none"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.event, c.shots);
        for (const auto& [id, text] : c.html) {
            EXPECT_EQ(text, html(id)) << platform::com::utf16ToUtf8(id);
        }
        for (const auto& [id, shown] : c.display) {
            EXPECT_EQ(shown, display(id)) << platform::com::utf16ToUtf8(id);
        }
    }
}

TEST_F(InfoViewLogicTest, ScriptInterfaceChangesThePracticeAndTellsOnlyTheOtherViews)
{
    // Without a practice every member does nothing but the tiles, which post the frame's commands.
    logic.UIShooterNameChange(u"Bob");
    logic.UISelectionChanged(nullptr);
    logic.UIStartPractice();
    logic.UIOpen();
    EXPECT_EQ((std::vector<int>{0x8004, 0xE101}), host.posted);
    EXPECT_EQ("block", display(u"idIntro"));

    open("AR10", {{10, 0, 0}, {20, 0, 0}});
    ComPtr<IShotCollection> shots;
    ComPtr<IShot> second;
    ASSERT_TRUE(data.GetMatchShots(shots));
    ASSERT_EQ(S_OK, shots->get_Item(2, second.put()));
    struct Case {
        const char* name;
        std::function<void()> act;
        std::vector<int> hints;
    };
    const Case cases[] = {
        {"a new name", [&] { logic.UIShooterNameChange(u"Bob"); }, {HintShooterName}},
        {"the same name", [&] { logic.UIShooterNameChange(u"Bob"); }, {}},
        {"comments", [&] { logic.UICommentChange(u"windy <gusts>"); }, {HintComments}},
        {"a selection", [&] { logic.UISelectionChanged(second.get()); }, {HintCurrentShot}},
        {"no selection", [&] { logic.UISelectionChanged(nullptr); }, {HintCurrentShot}},
        {"a double click on nothing", [&] { logic.UIDblClickShot(nullptr); }, {}},
        {"a double click",
         [&] { logic.UIDblClickShot(second.get()); },
         {HintCurrentShot, HintReplayQuery, HintReplayStart}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        other.received.clear();
        c.act();
        EXPECT_EQ(c.hints, other.hints());
    }
    Bstr name;
    Bstr comments;
    EXPECT_TRUE(data.GetShooterName(name));
    EXPECT_TRUE(data.GetComments(comments));
    EXPECT_EQ(u"Bob", name.view());
    EXPECT_EQ(u"windy <gusts>", comments.view());
    EXPECT_TRUE(data.IsModified());
}

TEST_F(InfoViewLogicTest, AnEditIsReportedWholeOnceTheDelayAfterEachKeyRelease)
{
    open("AR10", {{10, 0, 0}});
    EXPECT_EQ("Ann", platform::com::utf16ToUtf8(logic.page().GetElement(u"idShooterName")->value));
    // Three keys typed quickly: three reports, each with the whole value, of which only the first changes it.
    for (const char16_t* typed : {u"AnnB", u"AnnBo", u"AnnBob"}) {
        logic.page().SetElementValue(u"idShooterName", typed);
        logic.OnKeyRelease(InfoViewLogic::Field::ShooterName);
        clock.advance(std::chrono::milliseconds(10));
    }
    EXPECT_EQ(std::chrono::milliseconds(100), host.wake);
    other.received.clear();
    clock.advance(std::chrono::milliseconds(69)); // 99 ms after the first release
    logic.OnWake();
    EXPECT_TRUE(other.received.empty());
    clock.advance(std::chrono::milliseconds(1));
    logic.OnWake();
    EXPECT_EQ(std::vector<int>{HintShooterName}, other.hints());
    EXPECT_EQ(std::chrono::milliseconds(110), host.wake);
    clock.advance(std::chrono::milliseconds(20));
    logic.OnWake();
    EXPECT_EQ(std::vector<int>{HintShooterName}, other.hints());
    Bstr name;
    EXPECT_TRUE(data.GetShooterName(name));
    EXPECT_EQ(u"AnnBob", name.view());

    logic.page().SetElementValue(u"idComments", u"line one\nline two ");
    logic.OnKeyRelease(InfoViewLogic::Field::Comments);
    clock.advance(InfoViewLogic::kEditReportDelay);
    logic.OnWake();
    Bstr comments;
    EXPECT_TRUE(data.GetComments(comments));
    EXPECT_EQ(u"line one\nline two ", comments.view());
}

// Each batch lets the page's window lay itself out once instead of at every change.
TEST_F(InfoViewLogicTest, EveryUpdateWritesThePageInOneBatch)
{
    struct Recorder final : PageElements::Observer {
        void elementChanged(const std::u16string&, const PageElements::Element&) override
        {
            ++(inBatch ? inside : outside);
        }
        void changesBegin() override
        {
            inBatch = true;
            ++batches;
        }
        void changesEnd() override { inBatch = false; }
        bool inBatch = false;
        int batches = 0;
        int inside = 0;
        int outside = 0;
    };
    const struct {
        const char* what;
        std::function<void()> act;
    } steps[] = {
        {"open",
         [&] {
             open("AR10", {{10, 0, 0}, {20, 300, 0}});
         }},
        {"model",
         [&] {
             ASSERT_TRUE(
                 data.OpenModel(writeDocument(folder() / "model.talvo", "AR10", {{10, 0, 0}, {20, 0, 0}}).get()));
         }},
        {"a shot",
         [&] {
             ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder("AR10").samples(300).shot().build();
             ComPtr<IShot> shot;
             ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
             ASSERT_TRUE(data.AddShot(shot.get(), aiming.get()));
             data.UpdateAllViews(nullptr, HintConcludeAiming, AimingHint{aiming.get()});
         }},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        Recorder recorder;
        logic.page().setObserver(&recorder);
        step.act();
        logic.page().setObserver(nullptr);
        EXPECT_EQ(1, recorder.batches);
        EXPECT_GT(recorder.inside, 0);
        EXPECT_EQ(0, recorder.outside);
        EXPECT_FALSE(recorder.inBatch);
    }
}

TEST_F(InfoViewLogicTest, AHiddenViewFillsItsPendingPartsOnceWhenShown)
{
    open("AR10", {{10, 0, 0}});
    host.visible = false;
    const int layouts = host.layouts;
    ASSERT_TRUE(data.OpenModel(writeDocument(folder() / "model.talvo", "AR10", {{10, 0, 0}, {20, 0, 0}}).get()));
    ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder("AR10").samples(300).shot().build();
    ComPtr<IShot> shot;
    ASSERT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
    ASSERT_TRUE(data.AddShot(shot.get(), aiming.get()));
    data.UpdateAllViews(nullptr, HintConcludeAiming, AimingHint{aiming.get()});
    EXPECT_EQ(layouts, host.layouts);
    EXPECT_TRUE(logic.hasPendingUpdate());
    EXPECT_EQ(0, logic.summary().sides[1].shotCount);

    host.visible = true;
    EXPECT_TRUE(logic.ApplyPendingUpdate());
    EXPECT_EQ(layouts + 1, host.layouts);
    EXPECT_EQ(2, logic.summary().sides[0].shotCount);
    EXPECT_EQ(2, logic.summary().sides[1].shotCount);
    EXPECT_TRUE(logic.ApplyPendingUpdate());
    EXPECT_EQ(layouts + 1, host.layouts) << "applied once";

    // Before its page is loaded a view only remembers to refresh; loading fills it.
    InfoViewLogic late(host, module, options, clock);
    data.AddView(&late);
    data.UpdateAllViews(nullptr, HintModel);
    EXPECT_EQ(0, late.summary().sides[0].shotCount);
    late.PageLoaded();
    EXPECT_EQ(2, late.summary().sides[0].shotCount);
    EXPECT_EQ("Number of match shots", platform::com::utf16ToUtf8(late.titles()[0]));
    EXPECT_EQ("Control interval", platform::com::utf16ToUtf8(late.titles()[19]));
    data.RemoveView(&late);
}

} // namespace
