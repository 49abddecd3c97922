#include "talvodesk/core/frame/BandLayout.h"
#include "talvodesk/core/frame/FramePlacement.h"
#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Settings.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <array>
#include <vector>

using namespace talvodesk;
using platform::registry::Key;

namespace {

class FrameSettingsTest : public platform::registry::testing::RegistryFixture {
protected:
    FrameSettingsTest() : m_root(*OpenSettingsRoot()) {}
    Key m_root;
};

TEST(BandLayoutTest, EncodesIndexBreakAndWidth)
{
    EXPECT_EQ(EncodeBand(0, {0xEB00, true, 412}), 0x0001019CU);
    EXPECT_EQ(EncodeBand(2, {0xEB02, false, 80}), 0x02000050U);
    EXPECT_EQ(EncodeBand(0x102, {0xEB02, false, 0}), 0x02000000U);
}

TEST_F(FrameSettingsTest, BandLayoutRoundTripsAndMovesBandsToTheirStoredIndex)
{
    const std::vector<Band> saved = {{0xEB01, false, 300}, {0xEB00, true, 520}, {0xEB02, true, 90}};
    const Key bar = *OpenSettingsSubkey(u"ReBar");
    SaveBandLayout(bar, saved);
    EXPECT_EQ(*bar.dword(u"60161"), 0x0000012CU);
    EXPECT_EQ(*bar.dword(u"60160"), 0x01010208U);

    std::vector<Band> restored = {{0xEB00, true, 10}, {0xEB01, false, 10}, {0xEB02, true, 10}};
    RestoreBandLayout(bar, restored);
    EXPECT_EQ(restored, saved);

    // A value for index 2 brings its band back to index 2; missing values change nothing.
    const Key other = *OpenSettingsSubkey(u"Other");
    ASSERT_TRUE(other.setDword(u"60160", 0x02000064));
    std::vector<Band> bands = {{0xEB00, true, 10}, {0xEB01, false, 20}, {0xEB02, true, 30}};
    RestoreBandLayout(other, bands);
    EXPECT_EQ(bands, (std::vector<Band>{{0xEB01, false, 20}, {0xEB02, true, 30}, {0xEB00, false, 100}}));
}

TEST_F(FrameSettingsTest, PlacementRoundTripsOnlyForAShownFrameAndKeepsTheRectInFullScreen)
{
    const FrameSettings defaults = LoadFrameSettings(m_root);
    EXPECT_FALSE(defaults.zoomed);
    EXPECT_FALSE(defaults.windowRect);
    EXPECT_TRUE(defaults.toolBar && defaults.statusBar);
    EXPECT_EQ(defaults.splitterPos, 250U);

    const FrameSettings placed{true, WindowRect{10, 20, 810, 620}, false, true, 333};
    SaveFrameSettings(m_root, placed, {.shown = false});
    EXPECT_FALSE(m_root.dword(u"Zoomed"));

    SaveFrameSettings(m_root, placed, {.shown = true});
    const FrameSettings loaded = LoadFrameSettings(m_root);
    EXPECT_TRUE(loaded.zoomed);
    EXPECT_EQ(loaded.windowRect, placed.windowRect);
    EXPECT_FALSE(loaded.toolBar);
    EXPECT_EQ(loaded.splitterPos, 333U);

    FrameSettings fullScreen = placed;
    fullScreen.windowRect = WindowRect{0, 0, 1920, 1080};
    SaveFrameSettings(m_root, fullScreen, {.shown = true, .fullScreen = true});
    EXPECT_EQ(LoadFrameSettings(m_root).windowRect, placed.windowRect);
}

TEST_F(FrameSettingsTest, WindowRectOfAnotherTypeSizeOrEmptyIsIgnored)
{
    const std::array<std::uint8_t, 16> empty{};
    const std::array<std::uint8_t, 12> shortRect{1, 0, 0, 0, 1, 0, 0, 0, 9, 0, 0, 0};
    const std::array<std::uint8_t, 16> rect{0, 0, 0, 0, 0, 0, 0, 0, 100, 0, 0, 0, 100, 0, 0, 0};
    ASSERT_TRUE(m_root.setValue(u"WindowRect", REG_BINARY, empty));
    EXPECT_FALSE(LoadFrameSettings(m_root).windowRect);
    ASSERT_TRUE(m_root.setValue(u"WindowRect", REG_BINARY, shortRect));
    EXPECT_FALSE(LoadFrameSettings(m_root).windowRect);
    ASSERT_TRUE(m_root.setValue(u"WindowRect", REG_DWORD, std::span(rect).first(4)));
    EXPECT_FALSE(LoadFrameSettings(m_root).windowRect);
    ASSERT_TRUE(m_root.setValue(u"WindowRect", REG_BINARY, rect));
    EXPECT_EQ(LoadFrameSettings(m_root).windowRect, (WindowRect{0, 0, 100, 100}));
}

TEST_F(FrameSettingsTest, LanguageSwitchKeepsTheLanguageWhenItsFileFails)
{
    std::filesystem::create_directories(folder() / "lang");
    writeText(folder() / "lang" / "talvoara.lang", "128\tArabic title\n");
    writeText(folder() / "lang" / "talvodeu.lang", "128 missing tab\n");
    const CTalvoAppModule::Environment environment{&m_root, 0x409, folder() / "lang", folder() / "help"};
    CTalvoAppModule module;
    ASSERT_EQ(module.Init(environment), S_OK);

    EXPECT_TRUE(module.SwitchLanguage(1025, environment));
    EXPECT_EQ(module.m_lcid, 1025U);
    EXPECT_TRUE(module.m_bRTL);
    EXPECT_EQ(module.LoadString(128), u"Arabic title");

    EXPECT_FALSE(module.SwitchLanguage(1031, environment)); // damaged file
    EXPECT_FALSE(module.SwitchLanguage(1049, environment)); // no file
    EXPECT_EQ(module.m_lcid, 1025U);
    EXPECT_TRUE(module.m_bRTL);
    EXPECT_EQ(module.LoadString(128), u"Arabic title");

    EXPECT_TRUE(module.SwitchLanguage(1033, environment));
    EXPECT_FALSE(module.m_bRTL);
    EXPECT_EQ(module.LoadString(128), u"Talvo Professional");
}

} // namespace
