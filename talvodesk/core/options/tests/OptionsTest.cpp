#include "talvodesk/core/options/Options.h"

#include "talvodesk/core/options/Settings.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/testing/Matchers.h"

#include <bit>
#include <string>
#include <vector>

using namespace talvodesk;
using platform::registry::kErrorBadHive;
using platform::registry::kErrorFileNotFound;
using platform::registry::Key;

namespace {

class OptionsTest : public platform::registry::testing::RegistryFixture {
protected:
    Key root() { return *OpenSettingsRoot(); }
    Key options() { return *root().createSubkey(u"Options"); }
};

std::vector<std::uint8_t> le(std::initializer_list<std::uint32_t> words)
{
    std::vector<std::uint8_t> bytes;
    for (const std::uint32_t word : words) {
        for (int shift = 0; shift < 32; shift += 8) {
            bytes.push_back(static_cast<std::uint8_t>(word >> shift));
        }
    }
    return bytes;
}

std::uint32_t f32(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

std::string narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

TEST_F(OptionsTest, DefaultsAreSavedWithTheirNamesTypesAndBytesInOrder)
{
    ASSERT_THAT(COptions().Save(root()), IsOk());
    const auto values = options().values();
    ASSERT_THAT(values, IsOk());

    struct Expected {
        std::u16string name;
        std::uint32_t value;
    };
    std::vector<Expected> expected = {
        {u"ReplayAllPause", 1},   {u"ReplaySpeed", 100}, {u"TargetResult", 1},         {u"TargetLen", 0},
        {u"TargetSmoothZoom", 1}, {u"AdvancedMode", 1},  {u"ShowControlInterval2", 1}, {u"ForceReplay", 0},
        {u"SoundEnabled", 1},     {u"BlindGen", 0}};
    for (int zone = 0; zone <= 10; ++zone) {
        const std::string digits = std::to_string(zone);
        expected.push_back({u"BlindGen" + std::u16string(digits.begin(), digits.end()), 200u * zone});
    }
    for (const Expected& next : std::initializer_list<Expected>{{u"EnableRS232", 0},
                                                                {u"FiringPoint", 1},
                                                                {u"AutoReplay", 1},
                                                                {u"AutoSwitchToTrace", 1},
                                                                {u"EnableAutoSaveAfterShot", 0},
                                                                {u"DisplayTimeCounter", 1},
                                                                {u"AutoReplaySec", 1},
                                                                {u"SaveSecBeforeShot", 5},
                                                                {u"SaveSecAfterShot", 1},
                                                                {u"AutoSaveAfterShot", 10},
                                                                {u"PiezoRejectInterval", 1},
                                                                {u"PiezoRejectIntervalMs", 1000},
                                                                {u"PrintAllShots", 1},
                                                                {u"PrintGenInfo", 1},
                                                                {u"PrintSeries", 1},
                                                                {u"PrintCoordination", 1},
                                                                {u"PrintShift", 1},
                                                                {u"PrintSpeed", 1},
                                                                {u"PrintIntervals", 1},
                                                                {u"PrintProbability", 1},
                                                                {u"ShotListIndex", 1},
                                                                {u"ShotListResult", 1},
                                                                {u"ShotListTraceSpeed", 1},
                                                                {u"ShotListTraceSpeed250", 1},
                                                                {u"ShotListAimingTime", 1},
                                                                {u"ShotListSteadiness6", 0},
                                                                {u"ShotListSteadiness9", 0},
                                                                {u"ShotListSteadiness10center", 1},
                                                                {u"ShotListSteadiness10p5center", 0},
                                                                {u"ShotListSteadiness10", 1},
                                                                {u"ShotListSteadiness10p5", 0},
                                                                {u"ShotListBreachFromAAP", 1}}) {
        expected.push_back(next);
    }
    ASSERT_EQ(expected.size() + 3, values->size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(narrow(expected[i].name));
        EXPECT_EQ(expected[i].name, (*values)[i].name);
        EXPECT_EQ(REG_DWORD, (*values)[i].value.type);
        EXPECT_EQ(le({expected[i].value}), (*values)[i].value.data);
    }
    const auto& traceColors = (*values)[expected.size()];
    EXPECT_EQ(u"TraceColors", traceColors.name);
    EXPECT_EQ(REG_BINARY, traceColors.value.type);
    EXPECT_EQ(le({44, 1, f32(0.1F), 0x00FF00, 0x0000FF, 0x0000FF, 0x00FFFF, 1, 0xFF0000, f32(-0.2F), f32(0.0F)}),
              traceColors.value.data);
    EXPECT_EQ(u"BreachColor", (*values)[expected.size() + 1].name);
    EXPECT_EQ(le({0xFFFFFF}), (*values)[expected.size() + 1].value.data);
    EXPECT_EQ(u"SelectedBreachColor", (*values)[expected.size() + 2].name);
    EXPECT_EQ(le({0xFF00FF}), (*values)[expected.size() + 2].value.data);
}

TEST_F(OptionsTest, ChangedOptionsComeBackFromTheStore)
{
    COptions changed;
    changed.replaySpeed = 250;
    changed.blindGenFrequency[10] = 4321;
    changed.shotListBreachFromAAP = 0;
    changed.traceHeadingLength = 0.35F;
    changed.headingColor = 0x123456;
    changed.additionalIntervals = {{0x010203, -1.5F, -0.5F}, {0x040506, 0.25F, 2.0F}};
    changed.selectedBreachColor = 0xABCDEF;
    changed.piezoRejectInterval = 0.5F;
    ASSERT_THAT(changed.Save(root()), IsOk());

    COptions loaded;
    ASSERT_THAT(loaded.Load(root()), IsOk());
    EXPECT_EQ(changed, loaded);
}

TEST_F(OptionsTest, PiezoRejectIntervalKeepsItsFractionThroughTheExactValue)
{
    struct Case {
        float seconds;
        std::uint32_t whole;
        std::uint32_t milliseconds;
    };
    for (const Case& c : {Case{1.5F, 1, 1500}, Case{0.55F, 0, 550}, Case{1.9F, 1, 1900}, Case{-2.0F, 0, 0}}) {
        SCOPED_TRACE(c.seconds);
        COptions options;
        options.piezoRejectInterval = c.seconds;
        ASSERT_THAT(options.Save(root()), IsOk());
        EXPECT_EQ(c.whole, *this->options().dword(u"PiezoRejectInterval"));
        EXPECT_EQ(c.milliseconds, *this->options().dword(u"PiezoRejectIntervalMs"));
        COptions loaded;
        ASSERT_THAT(loaded.Load(root()), IsOk());
        EXPECT_FLOAT_EQ(c.milliseconds / 1000.0F, loaded.piezoRejectInterval);
    }
    // Settings written before the exact value existed come back whole.
    ASSERT_THAT(options().deleteValue(u"PiezoRejectIntervalMs"), IsOk());
    ASSERT_THAT(options().setDword(u"PiezoRejectInterval", 3), IsOk());
    COptions loaded;
    ASSERT_THAT(loaded.Load(root()), IsOk());
    EXPECT_FLOAT_EQ(3.0F, loaded.piezoRejectInterval);
}

TEST_F(OptionsTest, ValuesOfAWrongTypeOrSizeAreIgnored)
{
    const auto traceColors = [](std::uint32_t count, std::size_t intervalsStored) {
        std::vector<std::uint8_t> bytes = le({0, 0, f32(2.5F), 1, 2, 3, 4, count});
        for (std::size_t i = 0; i < intervalsStored; ++i) {
            const auto entry = le({0x30 + static_cast<std::uint32_t>(i), f32(-1.0F), f32(1.0F)});
            bytes.insert(bytes.end(), entry.begin(), entry.end());
        }
        return bytes;
    };
    std::vector<std::uint8_t> withPartialEntry = traceColors(2, 1);
    withPartialEntry.resize(withPartialEntry.size() + 8);
    struct Case {
        const char* what;
        std::u16string name;
        DWORD type;
        std::vector<std::uint8_t> data;
        std::size_t intervals;
        std::uint32_t replaySpeed;
        float headingLength;
    };
    const Case cases[] = {
        {"dword as binary", u"ReplaySpeed", REG_BINARY, le({7}), 1, 100, 0.1F},
        {"short dword", u"ReplaySpeed", REG_DWORD, {7, 0}, 1, 100, 0.1F},
        {"long dword", u"ReplaySpeed", REG_DWORD, le({7, 0}), 1, 100, 0.1F},
        {"name in other case", u"rePLAYspeed", REG_DWORD, le({7}), 1, 7, 0.1F},
        {"colours as dword", u"TraceColors", REG_DWORD, le({7}), 1, 100, 0.1F},
        {"colours too short", u"TraceColors", REG_BINARY, le({44, 1, 2, 3, 4, 5, 6}), 1, 100, 0.1F},
        {"no intervals", u"TraceColors", REG_BINARY, traceColors(0, 0), 0, 100, 2.5F},
        {"count beyond size", u"TraceColors", REG_BINARY, traceColors(100000, 2), 2, 100, 2.5F},
        {"partial entry", u"TraceColors", REG_BINARY, withPartialEntry, 1, 100, 2.5F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_THAT(options().setValue(c.name, c.type, c.data), IsOk());
        COptions loaded;
        ASSERT_THAT(loaded.Load(root()), IsOk());
        EXPECT_EQ(c.replaySpeed, loaded.replaySpeed);
        EXPECT_EQ(c.intervals, loaded.additionalIntervals.size());
        EXPECT_FLOAT_EQ(c.headingLength, loaded.traceHeadingLength);
        ASSERT_THAT(root().deleteSubkey(u"Options"), IsOk());
    }
}

TEST_F(OptionsTest, AMissingKeyKeepsTheDefaultsAndADamagedFileIsNeverOverwritten)
{
    COptions options;
    options.replaySpeed = 5;
    EXPECT_THAT(options.Load(root()), FailsWith(kErrorFileNotFound));
    EXPECT_EQ(5u, options.replaySpeed);

    const Key stale = root();
    ASSERT_THAT(COptions().Save(stale), IsOk());
    writeText(userHive(), "REGEDIT4\n[HKEY_CURRENT_USER\\software\\Talvo\\Talvo Professional\\Options\n\"x\"=");
    const std::string damaged = readText(userHive());
    EXPECT_THAT(options.Load(stale), FailsWith(kErrorBadHive));
    EXPECT_EQ(5u, options.replaySpeed);
    EXPECT_THAT(options.Save(stale), FailsWith(kErrorBadHive));
    EXPECT_EQ(damaged, readText(userHive()));
}

TEST(OptionsAssignTest, EachEditedValueSetsItsChangeFlag)
{
    struct Edit {
        const char* what;
        void (*edit)(COptions&);
        std::uint32_t flags;
    };
    // clang-format off
    const std::vector<Edit> edits = {
        {"nothing", [](COptions&) {}, 0},
        {"SaveSecBeforeShot", [](COptions& o) { o.saveSecBeforeShot = 6; }, 0x01},
        {"SaveSecAfterShot", [](COptions& o) { o.saveSecAfterShot = 2; }, 0x01},
        {"PrintAllShots", [](COptions& o) { o.printAllShots = 0; }, 0x02},
        {"PrintGenInfo", [](COptions& o) { o.printGenInfo = 0; }, 0x02},
        {"PrintSeries", [](COptions& o) { o.printSeries = 0; }, 0x02},
        {"PrintCoordination", [](COptions& o) { o.printCoordination = 0; }, 0x02},
        {"PrintShift", [](COptions& o) { o.printShift = 0; }, 0x02},
        {"PrintSpeed", [](COptions& o) { o.printSpeed = 0; }, 0x02},
        {"PrintIntervals", [](COptions& o) { o.printIntervals = 0; }, 0x02},
        {"PrintProbability", [](COptions& o) { o.printProbability = 0; }, 0x02},
        {"ShotListIndex", [](COptions& o) { o.shotListIndex = 0; }, 0x04},
        {"ShotListResult", [](COptions& o) { o.shotListResult = 0; }, 0x04},
        {"ShotListTraceSpeed", [](COptions& o) { o.shotListTraceSpeed = 0; }, 0x04},
        {"ShotListTraceSpeed250", [](COptions& o) { o.shotListTraceSpeed250 = 0; }, 0x04},
        {"ShotListAimingTime", [](COptions& o) { o.shotListAimingTime = 0; }, 0x04},
        {"ShotListSteadiness6", [](COptions& o) { o.shotListSteadiness6 = 1; }, 0x04},
        {"ShotListSteadiness9", [](COptions& o) { o.shotListSteadiness9 = 1; }, 0x04},
        {"ShotListSteadiness10center", [](COptions& o) { o.shotListSteadiness10center = 0; }, 0x04},
        {"ShotListSteadiness10p5center", [](COptions& o) { o.shotListSteadiness10p5center = 1; }, 0x04},
        {"ShotListSteadiness10", [](COptions& o) { o.shotListSteadiness10 = 0; }, 0x04},
        {"ShotListSteadiness10p5", [](COptions& o) { o.shotListSteadiness10p5 = 1; }, 0x04},
        {"ShotListBreachFromAAP", [](COptions& o) { o.shotListBreachFromAAP = 0; }, 0x04},
        {"ReplaySpeed", [](COptions& o) { o.replaySpeed = 150; }, 0x08},
        {"trace heading on", [](COptions& o) { o.traceHeading = 0; }, 0x10},
        {"trace heading length", [](COptions& o) { o.traceHeadingLength = 0.11F; }, 0x10},
        {"colour before the shot", [](COptions& o) { o.traceColorBeforeShot = 1; }, 0x10},
        {"colour after the shot", [](COptions& o) { o.traceColorAfterShot = 1; }, 0x10},
        {"heading colour", [](COptions& o) { o.headingColor = 1; }, 0x10},
        {"control-interval colour", [](COptions& o) { o.controlIntervalColor = 1; }, 0x10},
        {"BreachColor", [](COptions& o) { o.breachColor = 1; }, 0x10},
        {"SelectedBreachColor", [](COptions& o) { o.selectedBreachColor = 1; }, 0x10},
        {"interval count", [](COptions& o) { o.additionalIntervals.clear(); }, 0x10},
        {"interval colour", [](COptions& o) { o.additionalIntervals[0].color = 1; }, 0x10},
        {"interval begin", [](COptions& o) { o.additionalIntervals[0].begin = -0.3F; }, 0x10},
        {"interval end", [](COptions& o) { o.additionalIntervals[0].end = 0.1F; }, 0x10},
        {"TargetResult", [](COptions& o) { o.targetResult = 0; }, 0x20},
        {"TargetLen", [](COptions& o) { o.targetLen = 1; }, 0x20},
        {"DisplayTimeCounter", [](COptions& o) { o.displayTimeCounter = 0; }, 0x20},
        {"SoundEnabled", [](COptions& o) { o.soundEnabled = 0; }, 0x40},
        {"BlindGen", [](COptions& o) { o.blindGen = 1; }, 0x40},
        {"BlindGen0", [](COptions& o) { o.blindGenFrequency[0] = 100; }, 0x80},
        {"BlindGen10", [](COptions& o) { o.blindGenFrequency[10] = 100; }, 0x80},
        {"FiringPoint", [](COptions& o) { o.firingPoint = 2; }, 0x100},
        {"ReplayAllPause", [](COptions& o) { o.replayAllPause = 2; }, 0},
        {"TargetSmoothZoom", [](COptions& o) { o.targetSmoothZoom = 0; }, 0},
        {"AdvancedMode", [](COptions& o) { o.advancedMode = 0; }, 0},
        {"ShowControlInterval2", [](COptions& o) { o.showControlInterval2 = 0; }, 0},
        {"ForceReplay", [](COptions& o) { o.forceReplay = 1; }, 0},
        {"EnableRS232", [](COptions& o) { o.enableRS232 = 1; }, 0},
        {"AutoReplay", [](COptions& o) { o.autoReplay = 0; }, 0},
        {"AutoSwitchToTrace", [](COptions& o) { o.autoSwitchToTrace = 0; }, 0},
        {"EnableAutoSaveAfterShot", [](COptions& o) { o.enableAutoSaveAfterShot = 1; }, 0},
        {"AutoReplaySec", [](COptions& o) { o.autoReplaySec = 5; }, 0},
        {"AutoSaveAfterShot", [](COptions& o) { o.autoSaveAfterShot = 5; }, 0},
        {"PiezoRejectInterval", [](COptions& o) { o.piezoRejectInterval = 1.5F; }, 0},
        {"several", [](COptions& o) { o.firingPoint = 3; o.replaySpeed = 50; o.saveSecAfterShot = 2; }, 0x109},
    };
    // clang-format on
    for (const Edit& e : edits) {
        SCOPED_TRACE(e.what);
        COptions live;
        COptions edited;
        e.edit(edited);
        EXPECT_EQ(e.flags, live.Assign(edited));
        EXPECT_EQ(edited, live);
    }
}

} // namespace
