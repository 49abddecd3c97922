#include "talvodesk/core/options/Settings.h"

#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/testing/Matchers.h"

using namespace talvodesk;
using platform::registry::Hive;
using platform::registry::Key;

namespace {

class SettingsTest : public platform::registry::testing::RegistryFixture {
protected:
    Key root() { return *OpenSettingsRoot(); }
};

TEST_F(SettingsTest, FCoefficientIsTakenOnlyWithinItsRange)
{
    struct Case {
        DWORD type;
        std::vector<std::uint8_t> data;
        std::optional<std::uint32_t> loaded;
    };
    const Case cases[] = {
        {REG_DWORD, {4, 0, 0, 0}, std::nullopt},   {REG_DWORD, {5, 0, 0, 0}, 5u},
        {REG_DWORD, {100, 0, 0, 0}, 100u},         {REG_DWORD, {101, 0, 0, 0}, std::nullopt},
        {REG_BINARY, {35, 0, 0, 0}, std::nullopt}, {REG_DWORD, {35, 0}, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.data[0]);
        ASSERT_THAT(root().createSubkey(u"Anna\\AR10")->setValue(u"FCoefficient", c.type, c.data), IsOk());
        EXPECT_EQ(c.loaded, LoadFCoefficient(root(), u"ar10", u"ANNA"));
    }
    EXPECT_TRUE(SaveFCoefficient(root(), u"AP10", u"Anna", 250));
    EXPECT_EQ(250u, *root().openSubkey(u"anna\\ap10")->dword(u"FCoefficient"));
}

TEST_F(SettingsTest, ShooterNamesNestKeysButStayBelowTheRoot)
{
    EXPECT_TRUE(SaveFCoefficient(root(), u"AR10", u"Club\\Anna", 40));
    EXPECT_EQ(40u, *root().openSubkey(u"Club\\Anna\\AR10")->dword(u"FCoefficient"));
    EXPECT_EQ(40u, *LoadFCoefficient(root(), u"AR10", u"Club\\Anna"));

    EXPECT_TRUE(SaveFCoefficient(root(), u"AR10", u"..\\..\\..", 41));
    EXPECT_EQ(41u, *root().openSubkey(u"..\\..\\..\\AR10")->dword(u"FCoefficient"));

    for (const auto& [event, shooter] : {std::pair<std::u16string, std::u16string>{u"AR10", u""},
                                         {u"", u"Anna"},
                                         {u"AR10", u"\\Anna"},
                                         {u"AR10", u"Anna\\"}}) {
        EXPECT_FALSE(SaveFCoefficient(root(), event, shooter, 50));
        EXPECT_FALSE(LoadFCoefficient(root(), event, shooter));
    }
    EXPECT_THAT(root().dword(u"FCoefficient"), FailsWith(platform::registry::kErrorFileNotFound));
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software\\Talvo")->subkeyNames(),
                ::testing::Property(&platform::Result<std::vector<std::u16string>>::value,
                                    ::testing::ElementsAre(u"Talvo Professional")));
}

TEST_F(SettingsTest, WindowRectIsTakenOnlyWhole)
{
    const WindowRect rect{-10, 20, 630, 500};
    ASSERT_TRUE(SaveWindowRect(root(), u"WindowRectOpen", rect));
    EXPECT_EQ(std::vector<std::uint8_t>({0xF6, 0xFF, 0xFF, 0xFF, 20, 0, 0, 0, 0x76, 2, 0, 0, 0xF4, 1, 0, 0}),
              root().value(u"windowrectopen")->data);
    EXPECT_EQ(rect, *LoadWindowRect(root(), u"WindowRectOpen"));

    const std::vector<std::uint8_t> twelve(12, 1);
    ASSERT_THAT(root().setValue(u"WindowRectOptions", REG_BINARY, twelve), IsOk());
    EXPECT_FALSE(LoadWindowRect(root(), u"WindowRectOptions"));
    ASSERT_TRUE(SaveWindowRect(root(), u"WindowRectCalibration", {10, 10, 10, 50}));
    EXPECT_FALSE(LoadWindowRect(root(), u"WindowRectCalibration"));
    EXPECT_FALSE(LoadWindowRect(root(), u"WindowRectStartPractice"));
}

} // namespace
