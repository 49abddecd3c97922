#include "talvodesk/core/frame/CommandState.h"
#include "talvodesk/core/frame/Caption.h"
#include "talvodesk/core/frame/CommandHandlers.h"
#include "talvodesk/core/frame/CommandTable.h"
#include "talvodesk/core/frame/LanguageCommands.h"
#include "talvodesk/core/frame/MenuTrimming.h"
#include "talvodesk/core/options/StringTable.h"

#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

using namespace talvodesk;

namespace {

CommandState stateOf(const FrameSnapshot& s, cmd::Id id)
{
    for (const CommandState& state : ComputeCommandStates(s)) {
        if (state.id == id) {
            return state;
        }
    }
    ADD_FAILURE() << "no state for " << id;
    return {};
}

bool hidden(const FrameSnapshot& s, cmd::Id id)
{
    for (const ButtonVisibility& button : ComputeHiddenButtons(s)) {
        if (button.id == id) {
            return button.hidden;
        }
    }
    ADD_FAILURE() << "no button " << id;
    return false;
}

FrameSnapshot practice()
{
    FrameSnapshot s;
    s.documentValid = true;
    s.device = true;
    s.matchShots = 3;
    return s;
}

struct PositionCase {
    const char* name;
    std::function<void(FrameSnapshot&)> setUp;
    // Enabled and checked of Prone, Standing, Kneeling.
    std::array<bool, 3> enabled;
    std::array<bool, 3> checked;
};

TEST(CommandStateTest, PositionRuleFollowsDeviceThreePositionsAndBiathlon)
{
    const std::vector<PositionCase> cases = {
        {"no device", [](FrameSnapshot& s) { s.device = false, s.threePositions = true; }, {}, {}},
        {"plain event", [](FrameSnapshot&) {}, {}, {}},
        {"three positions, stored kneeling",
         [](FrameSnapshot& s) { s.threePositions = true, s.position = u"kneeling"; },
         {true, true, true},
         {false, false, true}},
        {"three positions, stored prone",
         [](FrameSnapshot& s) { s.threePositions = true, s.position = u"prone"; },
         {true, true, true},
         {true, false, false}},
        {"biathlon standing",
         [](FrameSnapshot& s) { s.eventCode = 2, s.subTarget = 1, s.position = u"prone"; },
         {true, true, false},
         {false, true, false}},
        {"biathlon with three positions",
         [](FrameSnapshot& s) { s.eventCode = 2, s.threePositions = true, s.subTarget = 2; },
         {true, true, false},
         {true, false, false}},
    };
    for (const PositionCase& c : cases) {
        FrameSnapshot s = practice();
        c.setUp(s);
        const cmd::Id ids[] = {cmd::Prone, cmd::Standing, cmd::Kneeling};
        for (std::size_t i = 0; i < 3; ++i) {
            EXPECT_EQ(stateOf(s, ids[i]).enabled, c.enabled[i]) << c.name << " " << ids[i];
            EXPECT_EQ(stateOf(s, ids[i]).checked, c.checked[i]) << c.name << " " << ids[i];
        }
    }
}

struct GateCase {
    const char* name;
    std::function<void(FrameSnapshot&)> setUp;
    cmd::Id id;
    bool enabled;
};

TEST(CommandStateTest, PracticeRangeAndPreviewGating)
{
    const auto none = [](FrameSnapshot&) {};
    const std::vector<GateCase> cases = {
        {"start while a practice runs", none, cmd::StartPractice, false},
        {"start without device", [](FrameSnapshot& s) { s.device = false; }, cmd::StartPractice, true},
        {"start in preview", [](FrameSnapshot& s) { s.device = false, s.previewOpen = true; }, cmd::StartPractice,
         false},
        {"save without shots", [](FrameSnapshot& s) { s.matchShots = 0; }, cmd::FileSave, false},
        {"save of an invalid document's shots", [](FrameSnapshot& s) { s.documentValid = false; }, cmd::FileSave,
         false},
        {"match on a range event", [](FrameSnapshot& s) { s.eventCode = 7; }, cmd::Match, false},
        {"match on a range event with an image sensor", [](FrameSnapshot& s) { s.eventCode = 7, s.imageSensor = true; },
         cmd::Match, true},
        {"match when already on", [](FrameSnapshot& s) { s.matchMode = true; }, cmd::Match, false},
        {"adjust sensor on code 11", [](FrameSnapshot& s) { s.eventCode = 11; }, cmd::AdjustSensor, false},
        {"adjust sensor on code 12", [](FrameSnapshot& s) { s.eventCode = 12; }, cmd::AdjustSensor, true},
        {"adjust sensor in preview", [](FrameSnapshot& s) { s.previewOpen = true; }, cmd::AdjustSensor, false},
        {"continue not offered", none, cmd::Continue, false},
        {"continue offered", [](FrameSnapshot& s) { s.continueOffered = true; }, cmd::Continue, true},
        {"reset trace target without an aiming", none, cmd::ResetTraceTarget, false},
        {"mail unavailable", none, cmd::SendMail, false},
        {"mail available", [](FrameSnapshot& s) { s.mailAvailable = true; }, cmd::SendMail, true},
        {"series in biathlon", [](FrameSnapshot& s) { s.eventCode = 2; }, cmd::Series, false},
        {"shift in biathlon", [](FrameSnapshot& s) { s.eventCode = 2; }, cmd::ViewShift, false},
        {"coordination with only a model", [](FrameSnapshot& s) { s.matchShots = 0, s.modelValid = true; },
         cmd::ViewCoordination, true},
        {"intervals with unordered shots", [](FrameSnapshot& s) { s.shotTimesAscending = false; }, cmd::ViewIntervals,
         false},
        {"distance with sighting shots only", [](FrameSnapshot& s) { s.matchShots = 0, s.sightingShots = 1; },
         cmd::ViewDistance, true},
        {"replay all with hidden sightings", [](FrameSnapshot& s) { s.matchShots = 0, s.sightingShots = 2; },
         cmd::ReplayAll, false},
        {"replay all with shown sightings",
         [](FrameSnapshot& s) { s.matchShots = 0, s.sightingShots = 2, s.showSightings = true; }, cmd::ReplayAll, true},
        {"help", none, cmd::Help, true},
        {"web page", none, cmd::WebPage, true},
        {"a language while the interface is locked", [](FrameSnapshot& s) { s.uiLocked = true; }, 0x802A, false},
        // The preview's steps only where there is a page to go to.
        {"next on the first of three",
         [](FrameSnapshot& s) { s.previewOpen = true, s.previewPage = 0, s.previewPages = 3; }, cmd::PreviewNextPage,
         true},
        {"previous on the first", [](FrameSnapshot& s) { s.previewOpen = true, s.previewPage = 0, s.previewPages = 3; },
         cmd::PreviewPreviousPage, false},
        {"next on the last", [](FrameSnapshot& s) { s.previewOpen = true, s.previewPage = 2, s.previewPages = 3; },
         cmd::PreviewNextPage, false},
        {"previous on the last", [](FrameSnapshot& s) { s.previewOpen = true, s.previewPage = 2, s.previewPages = 3; },
         cmd::PreviewPreviousPage, true},
        {"next on a single page", [](FrameSnapshot& s) { s.previewOpen = true, s.previewPage = 0, s.previewPages = 1; },
         cmd::PreviewNextPage, false},
        {"next without a preview", [](FrameSnapshot& s) { s.previewPage = 0, s.previewPages = 3; },
         cmd::PreviewNextPage, false},
    };
    for (const GateCase& c : cases) {
        FrameSnapshot s = practice();
        c.setUp(s);
        EXPECT_EQ(stateOf(s, c.id).enabled, c.enabled) << c.name;
    }
}

TEST(CommandStateTest, ChecksFollowTheFrameState)
{
    FrameSnapshot s = practice();
    s.currentView = cmd::ViewSpeed;
    s.soundEnabled = false;
    s.uiLocale = 1028;
    s.advancedMode = true;
    EXPECT_TRUE(stateOf(s, cmd::ViewSpeed).checked);
    EXPECT_FALSE(stateOf(s, cmd::ViewInfo).checked);
    EXPECT_TRUE(stateOf(s, cmd::Sound).checked);
    EXPECT_TRUE(stateOf(s, cmd::ExpertMode).checked);
    EXPECT_TRUE(stateOf(s, 0x807D).checked);  // Chinese (Traditional)
    EXPECT_FALSE(stateOf(s, 0x802C).checked); // Chinese (Simplified)
}

TEST(CommandStateTest, ExpertModeHidesButtonsAndTheRangeRulesShapeThePracticeButtons)
{
    struct Case {
        const char* name;
        std::function<void(FrameSnapshot&)> setUp;
        cmd::Id id;
        bool hidden;
    };
    const std::vector<Case> cases = {
        {"coordination without expert mode", [](FrameSnapshot&) {}, cmd::ViewCoordination, true},
        {"coordination in expert mode", [](FrameSnapshot& s) { s.advancedMode = true; }, cmd::ViewCoordination, false},
        {"probability in biathlon", [](FrameSnapshot& s) { s.advancedMode = true, s.eventCode = 2; },
         cmd::ViewProbability, true},
        {"trace is never hidden", [](FrameSnapshot&) {}, cmd::ViewTrace, false},
        {"start during a practice", [](FrameSnapshot&) {}, cmd::StartPractice, true},
        {"stop without a practice", [](FrameSnapshot& s) { s.device = false; }, cmd::StopPractice, true},
        {"continue on a plain event", [](FrameSnapshot&) {}, cmd::Continue, true},
        {"continue on a range event", [](FrameSnapshot& s) { s.eventCode = 4; }, cmd::Continue, false},
        {"continue with an image sensor", [](FrameSnapshot& s) { s.eventCode = 4, s.imageSensor = true; },
         cmd::Continue, true},
        {"match on a range event", [](FrameSnapshot& s) { s.eventCode = 4; }, cmd::Match, true},
        {"adjust sensor on a range event with an image sensor",
         [](FrameSnapshot& s) { s.eventCode = 4, s.imageSensor = true; }, cmd::AdjustSensor, false},
        {"range code without a document", [](FrameSnapshot& s) { s.documentValid = false, s.eventCode = 4; },
         cmd::Match, false},
    };
    for (const Case& c : cases) {
        FrameSnapshot s = practice();
        c.setUp(s);
        EXPECT_EQ(hidden(s, c.id), c.hidden) << c.name;
    }
    FrameSnapshot s = practice();
    EXPECT_TRUE(IsSeriesPaneToolbarHidden(s));
    s.advancedMode = true;
    EXPECT_FALSE(IsSeriesPaneToolbarHidden(s));
    s.documentValid = false;
    EXPECT_TRUE(IsSeriesPaneToolbarHidden(s));
}

TEST(MenuTrimmingTest, RemovesExpertItemsThenStraySeparators)
{
    constexpr cmd::Id sep = kSeparatorItem;
    struct Case {
        std::vector<cmd::Id> items;
        std::vector<std::size_t> kept;
    };
    const std::vector<Case> cases = {
        {{cmd::FileOpen, sep, cmd::OpenModel, cmd::CloseModel, sep, cmd::Exit}, {0, 4, 5}},
        {{cmd::ViewToolbar, cmd::ViewStatusBar, sep, cmd::ViewInfo, sep}, {3}},
        {{sep, sep, cmd::About, sep, sep, sep, kSubmenuItem}, {2, 5, 6}},
        {{cmd::ReplayAll, sep}, {}},
        {{cmd::FileOpen, cmd::Exit}, {0, 1}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimmedPopup(c.items), c.kept);
    }
}

TEST(LanguageCommandsTest, MenuOrderLocalesAndChecks)
{
    const auto menu = LanguageMenu();
    ASSERT_EQ(menu.size(), 18U);
    EXPECT_EQ(StringTable::englishText(menu.front().text), u"English");
    EXPECT_EQ(StringTable::englishText(menu[1].text), u"Arabic");
    EXPECT_EQ(StringTable::englishText(menu.back().text), u"Vietnamese");
    const std::vector<std::pair<cmd::Id, LCID>> locales = {
        {0x8029, 1033}, {0x802A, 1049}, {0x802B, 1041}, {0x802C, 2052}, {0x802D, 1042}, {0x806C, 1025}, {0x806D, 1034},
        {0x806E, 1036}, {0x806F, 1040}, {0x8070, 1031}, {0x8071, 1043}, {0x8074, 1055}, {0x8075, 1066}, {0x8079, 1045},
        {0x807A, 1044}, {0x807B, 1046}, {0x807C, 1038}, {0x807D, 1028}, {0x807E, 1054}};
    for (const auto& [id, locale] : locales) {
        EXPECT_EQ(LanguageCommandLocale(id), locale) << id;
    }
    EXPECT_FALSE(LanguageCommandLocale(cmd::FileOpen));
    EXPECT_TRUE(IsLanguageChecked(1033, 0x0809)); // English of another country
    EXPECT_TRUE(IsLanguageChecked(1046, 0x0816)); // Portuguese of Portugal checks Portuguese (Brazil)
    EXPECT_FALSE(IsLanguageChecked(2052, 1028));
}

TEST(CommandTableTest, KeysOfTheAcceleratorTable)
{
    const std::vector<std::pair<cmd::Id, std::string_view>> keys = {{cmd::StartPractice, "Ctrl+N"},
                                                                    {cmd::FileOpen, "Ctrl+O"},
                                                                    {cmd::FileSave, "Ctrl+S"},
                                                                    {cmd::Print, "Ctrl+P"},
                                                                    {cmd::Exit, "Alt+F4"},
                                                                    {cmd::Replay, "Space"},
                                                                    {cmd::AdjustSensor, "F2"},
                                                                    {cmd::Match, "F3"},
                                                                    {cmd::ResetTraceTarget, "Return"},
                                                                    {cmd::ViewInfo, "F4"},
                                                                    {cmd::ViewProbability, "F11"},
                                                                    {cmd::FullScreen, "F12"},
                                                                    {cmd::ResetHardware, "Ctrl+H"},
                                                                    {cmd::Help, "F1"}};
    for (const auto& [id, key] : keys) {
        ASSERT_NE(FindCommand(id), nullptr) << id;
        EXPECT_EQ(FindCommand(id)->key, key) << id;
    }
    EXPECT_TRUE(IsPlainKey("Space"));
    EXPECT_TRUE(IsPlainKey("Return"));
    EXPECT_FALSE(IsPlainKey("Ctrl+H"));
    EXPECT_FALSE(IsPlainKey("F3"));
}

TEST(CaptionTest, Format)
{
    struct Case {
        bool valid;
        std::u16string_view shooter;
        std::u16string_view event;
        std::u16string_view time;
        bool modified;
        bool device;
        int sinceLastDataMs;
        std::u16string caption;
    };
    const std::vector<Case> cases = {
        {false, u"Ann", u"AR10", u"", true, true, 0, u"Talvo Professional"},
        {true, u"", u"", u"", false, false, 0, u"Untitled - Talvo Professional"},
        {true, u"Ann", u"AR10", u"5/1/2024 10:00:00 AM", true, false, 0,
         u"Ann - AR10 - 5/1/2024 10:00:00 AM* - Talvo Professional"},
        {true, u"Ann", u"", u"", false, true, 999, u"Ann + Talvo Professional"},
        {true, u"Ann", u"", u"", false, true, 1000, u"Ann - Talvo Professional"},
        {true, u"Ann", u"", u"", false, false, 0, u"Ann - Talvo Professional"},
    };
    for (const Case& c : cases) {
        const CaptionInputs in{c.valid,
                               c.shooter,
                               c.event,
                               c.time,
                               c.modified,
                               c.device,
                               std::chrono::milliseconds(c.sinceLastDataMs),
                               u"Untitled",
                               u"Talvo Professional"};
        EXPECT_EQ(FormatCaption(in), c.caption);
    }
}

TEST(CommandHandlersTest, EveryCommandOfTheTableHasOneHandlerAndEveryHandlerACommand)
{
    for (const CommandInfo& command : CommandTable()) {
        EXPECT_NE(FindCommandHandler(command.id), nullptr) << "no handler for " << std::hex << command.id;
    }
    std::set<cmd::Id> handled;
    for (const CommandHandlerEntry& entry : CommandHandlers()) {
        EXPECT_NE(FindCommand(entry.id), nullptr) << "a handler for no command: " << std::hex << entry.id;
        EXPECT_TRUE(handled.insert(entry.id).second) << "two handlers for " << std::hex << entry.id;
    }
    for (const LanguageCommand& language : LanguageMenu()) {
        EXPECT_TRUE(LanguageCommandLocale(language.id)) << std::hex << language.id;
    }
}

} // namespace
