#include "platform/registry/Key.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include "platform/testing/Matchers.h"

#include <cstring>
#include <string>
#include <vector>

using namespace platform::registry;

namespace {

using KeyTest = platform::registry::testing::RegistryFixture;

std::vector<std::uint8_t> bytes(std::initializer_list<int> values)
{
    std::vector<std::uint8_t> result;
    for (const int value : values) {
        result.push_back(static_cast<std::uint8_t>(value));
    }
    return result;
}

std::vector<std::uint8_t> utf16Bytes(std::u16string_view text)
{
    std::vector<std::uint8_t> result(text.size() * 2);
    std::memcpy(result.data(), text.data(), result.size());
    return result;
}

std::string narrow(std::u16string_view text)
{
    return std::string(text.begin(), text.end());
}

TEST_F(KeyTest, ValuesKeepTheirTypeAndSize)
{
    struct Case {
        std::u16string name;
        DWORD type;
        std::vector<std::uint8_t> data;
    };
    const Case cases[] = {
        {u"EventName", REG_SZ, utf16Bytes(std::u16string_view(u"Air Rifle 10m", 14))},
        {u"Quoted", REG_SZ, utf16Bytes(std::u16string_view(u"say \"\\x\" \u00e9 \U0001F3AF", 14))},
        {u"EmptyText", REG_SZ, bytes({0, 0})},
        {u"NoTerminator", REG_SZ, utf16Bytes(u"ab")},
        {u"EmbeddedZero", REG_SZ, utf16Bytes(std::u16string_view(u"a\0b\0", 4))},
        {u"LineBreak", REG_SZ, utf16Bytes(std::u16string_view(u"a\nb", 4))},
        {u"OddSize", REG_SZ, bytes({'a', 0, 0})},
        {u"LoneSurrogate", REG_SZ, bytes({0x00, 0xD8, 0, 0})},
        {u"ReplaySpeed", REG_DWORD, bytes({100, 0, 0, 0})},
        {u"MaxDword", REG_DWORD, bytes({0xFF, 0xFF, 0xFF, 0xFF})},
        {u"ShortDword", REG_DWORD, bytes({1, 2})},
        {u"WindowRectOpen", REG_BINARY, bytes({10, 0, 0, 0, 20, 0, 0, 0, 0x30, 2, 0, 0, 0xFF, 0xFF, 0xFF, 0xFF})},
        {u"EmptyBinary", REG_BINARY, {}},
        {u"", REG_SZ, utf16Bytes(std::u16string_view(u"unnamed", 8))},
        {u"OtherType", 0x12345678, bytes({0xAB})},
        {u"NoneType", REG_NONE, {}},
    };
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_THAT(key, IsOk());
    for (const Case& c : cases) {
        ASSERT_THAT(key->setValue(c.name, c.type, c.data), IsOk()) << narrow(c.name);
    }
    // Every query reads the file again, so this also proves what the file keeps.
    for (const Case& c : cases) {
        SCOPED_TRACE(narrow(c.name));
        const auto value = key->value(c.name);
        ASSERT_THAT(value, IsOk());
        EXPECT_EQ(c.type, value->type);
        EXPECT_EQ(c.data, value->data);
    }
    const auto values = key->values();
    ASSERT_THAT(values, IsOk());
    ASSERT_EQ(std::size(cases), values->size());
    for (std::size_t i = 0; i < values->size(); ++i) {
        EXPECT_EQ(cases[i].name, (*values)[i].name);
    }
}

TEST_F(KeyTest, TypedHelpersCheckTypeAndSize)
{
    const auto key = Key::create(Hive::CurrentUser, u"Options");
    ASSERT_THAT(key, IsOk());
    ASSERT_THAT(key->setDword(u"AutoSaveAfterShot", 0x01020304), IsOk());
    ASSERT_THAT(key->setString(u"ShooterName", u"Anna \u00c5str\u00f6m"), IsOk());
    ASSERT_THAT(key->setValue(u"Short", REG_DWORD, bytes({1, 2})), IsOk());

    EXPECT_EQ(0x01020304u, *key->dword(u"AutoSaveAfterShot"));
    EXPECT_EQ(bytes({4, 3, 2, 1}), key->value(u"AutoSaveAfterShot")->data);
    EXPECT_EQ(u"Anna \u00c5str\u00f6m", *key->string(u"ShooterName"));
    EXPECT_EQ(24u, key->value(u"ShooterName")->data.size()); // 11 characters and the terminating zero
    EXPECT_THAT(key->dword(u"Short"), FailsWith(kErrorUnsupportedType));
    EXPECT_THAT(key->dword(u"ShooterName"), FailsWith(kErrorUnsupportedType));
    EXPECT_THAT(key->string(u"AutoSaveAfterShot"), FailsWith(kErrorUnsupportedType));
    EXPECT_THAT(key->dword(u"Missing"), FailsWith(kErrorFileNotFound));
}

TEST_F(KeyTest, QueryValueReportsTheNeededSizeAsWindowsDoes)
{
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo");
    ASSERT_THAT(key, IsOk());
    ASSERT_THAT(key->setValue(u"TraceColors", REG_BINARY, bytes({1, 2, 3, 4, 5, 6})), IsOk());

    DWORD type = 0;
    DWORD size = 0;
    EXPECT_HR(S_OK, key->queryValue(u"TraceColors", &type, nullptr, &size));
    EXPECT_EQ(REG_BINARY, type);
    EXPECT_EQ(6u, size);

    std::uint8_t buffer[8] = {0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE, 0xEE};
    size = 5;
    EXPECT_HR(kErrorMoreData, key->queryValue(u"TraceColors", nullptr, buffer, &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(0xEE, buffer[0]);

    size = sizeof buffer;
    EXPECT_HR(S_OK, key->queryValue(u"TraceColors", &type, buffer, &size));
    EXPECT_EQ(6u, size);
    EXPECT_EQ(bytes({1, 2, 3, 4, 5, 6, 0xEE, 0xEE}), std::vector<std::uint8_t>(buffer, buffer + 8));

    EXPECT_HR(S_OK, key->queryValue(u"TraceColors", &type, nullptr, nullptr));
    EXPECT_HR(E_INVALIDARG, key->queryValue(u"TraceColors", nullptr, buffer, nullptr));
    size = sizeof buffer;
    EXPECT_HR(kErrorFileNotFound, key->queryValue(u"Missing", &type, buffer, &size));
}

TEST_F(KeyTest, NamesCompareWithoutCaseAndKeepTheirFirstCase)
{
    const auto created = Key::create(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_THAT(created, IsOk());
    const auto reopened = Key::open(Hive::CurrentUser, u"SOFTWARE\\talvo\\TALVO PROFESSIONAL");
    ASSERT_THAT(reopened, IsOk());
    ASSERT_THAT(created->setDword(u"ReplaySpeed", 100), IsOk());
    ASSERT_THAT(reopened->setDword(u"REPLAYSPEED", 50), IsOk());
    ASSERT_THAT(created->setDword(u"\u00c4rger", 1), IsOk());
    ASSERT_THAT(created->setDword(u"\u00e4RGER", 2), IsOk());
    ASSERT_THAT(Key::create(Hive::CurrentUser, u"Software\\TALVO\\Talvo Professional\\\u00d6l"), IsOk());

    const auto values = created->values();
    ASSERT_THAT(values, IsOk());
    ASSERT_EQ(2u, values->size());
    EXPECT_EQ(u"ReplaySpeed", (*values)[0].name);
    EXPECT_EQ(50u, *created->dword(u"replayspeed"));
    EXPECT_EQ(u"\u00c4rger", (*values)[1].name);
    EXPECT_EQ(2u, *created->dword(u"\u00c4RGER"));

    const auto root = Key::open(Hive::CurrentUser, u"");
    ASSERT_THAT(root, IsOk());
    EXPECT_EQ(std::vector<std::u16string>{u"Software"}, *root->subkeyNames());
    EXPECT_EQ(std::vector<std::u16string>{u"\u00d6l"}, *reopened->subkeyNames());
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software\\Talvo\\\u00f6L"), FailsWith(kErrorFileNotFound));
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional\\\u00f6L"), IsOk());
}

TEST_F(KeyTest, EnumeratesAndDeletesKeysWithTheirSubkeys)
{
    const auto settings = Key::create(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_THAT(settings, IsOk());
    for (const char16_t* path : {u"Zed\\Air Rifle", u"Anna\\Air Rifle", u"Anna\\Air Pistol", u"Options"}) {
        const auto key = settings->createSubkey(path);
        ASSERT_THAT(key, IsOk());
        ASSERT_THAT(key->setDword(u"FCoefficient", 20), IsOk());
    }
    EXPECT_EQ((std::vector<std::u16string>{u"Anna", u"Options", u"Zed"}), *settings->subkeyNames());
    EXPECT_EQ((std::vector<std::u16string>{u"Air Pistol", u"Air Rifle"}),
              *settings->openSubkey(u"anna")->subkeyNames());

    const auto anna = settings->openSubkey(u"Anna\\Air Rifle");
    ASSERT_THAT(anna, IsOk());
    ASSERT_THAT(settings->deleteSubkey(u"ANNA"), IsOk());
    EXPECT_EQ((std::vector<std::u16string>{u"Options", u"Zed"}), *settings->subkeyNames());
    EXPECT_THAT(settings->openSubkey(u"Anna\\Air Rifle"), FailsWith(kErrorFileNotFound));
    // A key deleted under an open handle stays deleted: the handle neither reads nor recreates it.
    EXPECT_THAT(anna->dword(u"FCoefficient"), FailsWith(kErrorKeyDeleted));
    EXPECT_THAT(anna->setDword(u"FCoefficient", 30), FailsWith(kErrorKeyDeleted));
    EXPECT_THAT(anna->createSubkey(u"Below"), FailsWith(kErrorKeyDeleted));
    EXPECT_THAT(settings->openSubkey(u"Anna"), FailsWith(kErrorFileNotFound));

    EXPECT_THAT(settings->deleteSubkey(u"Anna"), FailsWith(kErrorFileNotFound));
    EXPECT_THAT(settings->deleteSubkey(u""), FailsWith(E_INVALIDARG));
    ASSERT_THAT(settings->deleteSubkey(u"Zed\\Air Rifle"), IsOk());
    EXPECT_EQ(std::vector<std::u16string>{}, *settings->openSubkey(u"Zed")->subkeyNames());

    const auto options = settings->openSubkey(u"Options");
    ASSERT_THAT(options->deleteValue(u"fcoefficient"), IsOk());
    EXPECT_THAT(options->deleteValue(u"FCoefficient"), FailsWith(kErrorFileNotFound));
    EXPECT_TRUE(options->values()->empty());
}

TEST_F(KeyTest, RejectsNamesNoKeyOrValueCanHave)
{
    const std::u16string paths[] = {u"\\software",
                                    u"software\\",
                                    u"software\\\\Talvo",
                                    u"tab\there",
                                    std::u16string(256, u'k'),
                                    std::u16string(1, char16_t(0xDC00))};
    for (const std::u16string& path : paths) {
        SCOPED_TRACE(narrow(path));
        EXPECT_THAT(Key::create(Hive::CurrentUser, path), FailsWith(E_INVALIDARG));
        EXPECT_THAT(Key::open(Hive::CurrentUser, path), FailsWith(E_INVALIDARG));
    }
    EXPECT_THAT(Key::create(Hive::CurrentUser, std::u16string(255, u'k')), IsOk());
    const auto key = Key::create(Hive::CurrentUser, u"software");
    ASSERT_THAT(key, IsOk());
    EXPECT_THAT(key->setDword(u"line\nbreak", 1), FailsWith(E_INVALIDARG));
    EXPECT_THAT(key->setDword(std::u16string(1, char16_t(0xD800)) + u"x", 1), FailsWith(E_INVALIDARG));
    EXPECT_THAT(key->setDword(std::u16string(16'384, u'v'), 1), FailsWith(E_INVALIDARG));
    EXPECT_THAT(key->setDword(u"back\\slash \"quoted\" [x]=y", 1), IsOk());
    EXPECT_EQ(1u, *key->dword(u"back\\slash \"quoted\" [x]=y"));
}

TEST_F(KeyTest, ANewHiveHoldsSoftwareAndOpeningCreatesNothing)
{
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software"), IsOk());
    EXPECT_THAT(Key::open(Hive::LocalMachine, u"SOFTWARE"), IsOk());
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software\\Talvo"), FailsWith(kErrorFileNotFound));
    EXPECT_FALSE(std::filesystem::exists(userHive()));
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo");
    ASSERT_THAT(key, IsOk());
    EXPECT_THAT(key->value(u"InstallDir2"), FailsWith(kErrorFileNotFound));
    EXPECT_THAT(key->openSubkey(u"Options"), FailsWith(kErrorFileNotFound));
}

TEST_F(KeyTest, SetValuesWritesAllOrNothing)
{
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo");
    ASSERT_THAT(key, IsOk());
    const NamedValue both[] = {{u"A", {REG_DWORD, bytes({1, 0, 0, 0})}}, {u"B", {REG_BINARY, bytes({2})}}};
    ASSERT_THAT(key->setValues(both), IsOk());
    EXPECT_EQ(1u, *key->dword(u"a"));
    EXPECT_EQ(bytes({2}), key->value(u"B")->data);

    const NamedValue oneBad[] = {{u"A", {REG_DWORD, bytes({7, 0, 0, 0})}}, {u"bad\nname", {REG_BINARY, {}}}};
    EXPECT_THAT(key->setValues(oneBad), FailsWith(E_INVALIDARG));
    EXPECT_EQ(1u, *key->dword(u"A"));
}

} // namespace
