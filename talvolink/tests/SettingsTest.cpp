#include "talvolink/Settings.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>

namespace talvolink {
namespace {

class SettingsTest : public platform::registry::testing::RegistryFixture {};

TEST_F(SettingsTest, SettingsRootIsCreatedWhenMissing)
{
    const auto key = OpenSettingsKey();
    ASSERT_TRUE(key);
    EXPECT_TRUE(
        platform::registry::Key::open(platform::registry::Hive::CurrentUser, u"Software\\talvo\\TALVO PROFESSIONAL"));
}

TEST_F(SettingsTest, ReadSettingDwordAnswersWithSystemErrorCodes)
{
    const auto key = OpenSettingsKey();
    ASSERT_TRUE(key);
    ASSERT_TRUE(key->setDword(u"SignalLevel", 0x1234));
    ASSERT_TRUE(key->setString(u"Text", u"4")); // Four bytes with its terminating zero.
    const std::array<std::uint8_t, 8> eight{};
    ASSERT_TRUE(key->setValue(u"Long", REG_DWORD, eight));

    struct Case {
        const char16_t* name;
        DWORD result;
        DWORD value;
    };
    for (const Case& c :
         {Case{u"SignalLevel", 0, 0x1234}, Case{u"Text", 13, 7}, Case{u"Missing", 2, 7}, Case{u"Long", 234, 7}}) {
        SCOPED_TRACE(testing::PrintToString(std::u16string(c.name)));
        DWORD value = 7;
        EXPECT_EQ(c.result, ReadSettingDword(*key, c.name, &value));
        EXPECT_EQ(c.value, value);
    }
}

} // namespace
} // namespace talvolink
