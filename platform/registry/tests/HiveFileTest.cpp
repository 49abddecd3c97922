#include "platform/registry/Key.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include "platform/testing/Matchers.h"

#include <string>
#include <sys/wait.h>
#include <unistd.h>

using namespace platform::registry;

namespace {

// The hive files as files: their form, where they live, damage and several writers at once.
using HiveFileTest = platform::registry::testing::RegistryFixture;

TEST_F(HiveFileTest, WritesReadableRegeditText)
{
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_THAT(key, IsOk());
    ASSERT_THAT(key->setDword(u"ReplaySpeed", 100), IsOk());
    ASSERT_THAT(key->setString(u"ShooterName", u"Anna \"A\\B\" \u00c5"), IsOk());
    const std::uint8_t rect[] = {1, 0, 0, 0, 0xFF};
    ASSERT_THAT(key->setValue(u"WindowRectOpen", REG_BINARY, rect), IsOk());
    ASSERT_THAT(key->setValue(u"Short", REG_DWORD, std::span(rect, 2)), IsOk());
    ASSERT_THAT(key->setString(u"", u"unnamed"), IsOk());
    EXPECT_EQ("REGEDIT4\n"
              "\n[HKEY_CURRENT_USER]\n"
              "\n[HKEY_CURRENT_USER\\Software]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Talvo]\n"
              "\n[HKEY_CURRENT_USER\\Software\\Talvo\\Talvo Professional]\n"
              "\"ReplaySpeed\"=dword:00000064\n"
              "\"ShooterName\"=\"Anna \\\"A\\\\B\\\" \xC3\x85\"\n"
              "\"WindowRectOpen\"=hex:01,00,00,00,ff\n"
              "\"Short\"=hex(4):01,00\n"
              "@=\"unnamed\"\n",
              readText(userHive()));
}

TEST_F(HiveFileTest, ReadsHandWrittenFiles)
{
    writeText(userHive(), "REGEDIT4\r\n"
                          "; written by hand\r\n"
                          "[HKEY_CURRENT_USER\\Software\\Talvo\\Options]   \r\n"
                          "\"SoundEnabled\"=dword:1\r\n"
                          "\"Path\"=hex(2):41,00,00,00\r\n"
                          "@=\"default\"\r\n"
                          "\n"
                          "[hkey_current_user\\software\\talvo\\options]\n"
                          "\"Later\"=hex:\n");
    const auto key = Key::open(Hive::CurrentUser, u"software\\talvo\\OPTIONS");
    ASSERT_THAT(key, IsOk());
    EXPECT_EQ(1u, *key->dword(u"SoundEnabled"));
    EXPECT_EQ(2u, key->value(u"Path")->type);
    EXPECT_EQ(u"default", *key->string(u""));
    EXPECT_EQ(REG_BINARY, key->value(u"Later")->type);
    EXPECT_TRUE(key->value(u"Later")->data.empty());
}

TEST_F(HiveFileTest, DamagedFileIsReportedAndKept)
{
    struct Case {
        const char* text;
        const char* detail;
    };
    const Case cases[] = {
        {"", "empty"},
        {"\n\n", "empty"},
        {"REGEDIT5\n", "line 1: does not begin with REGEDIT4"},
        {"REGEDIT4\n\"A\"=dword:00000001\n", "line 2: value outside any key"},
        {"REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software]\n", "line 2: malformed key header"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\Software\n", "line 2: malformed key header"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\\\Software]\n", "line 2: malformed key header"},
        {"REGEDIT4\n[HKEY_CURRENT_USER\\]\n", "line 2: malformed key header"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=dword:000000012\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=dword:\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=\"unterminated\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=\"text\"x\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=\"bad \\n escape\"\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=hex:01,2\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=hex:01,\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=hex:0g\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=hex(123456789):00\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=hex:01,02,\\\n  03\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"\"=dword:00000001\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\nA=dword:00000001\n", "line 3: malformed value"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=dword:00000001\n\"a\"=dword:00000002\n", "line 4: value named twice"},
        {"REGEDIT4\n[HKEY_CURRENT_USER]\n\"A\"=dword:00000001\n[HKEY_CURRENT_USER]\n\"a\"=hex:\n",
         "line 5: value named twice"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        writeText(userHive(), c.text);
        const auto opened = Key::open(Hive::CurrentUser, u"");
        ASSERT_THAT(opened, FailsWith(kErrorBadHive));
        EXPECT_NE(std::string::npos, opened.error().detail.find(userHive().string())) << opened.error().detail;
        EXPECT_NE(std::string::npos, opened.error().detail.find(c.detail)) << opened.error().detail;
        EXPECT_THAT(Key::create(Hive::CurrentUser, u"software\\Talvo"), FailsWith(kErrorBadHive));
        EXPECT_EQ(c.text, readText(userHive()));
    }
}

TEST_F(HiveFileTest, DamageFoundWhileWritingLeavesTheFileAlone)
{
    const auto key = Key::create(Hive::CurrentUser, u"software");
    ASSERT_THAT(key, IsOk());
    const std::string damaged = "REGEDIT4\n[HKEY_CURRENT_USER\\software]\n\"A\"=dword:zz\n";
    writeText(userHive(), damaged);
    EXPECT_THAT(key->setDword(u"B", 1), FailsWith(kErrorBadHive));
    EXPECT_THAT(key->deleteValue(u"A"), FailsWith(kErrorBadHive));
    EXPECT_THAT(key->deleteSubkey(u"X"), FailsWith(kErrorBadHive));
    EXPECT_EQ(damaged, readText(userHive()));
}

TEST_F(HiveFileTest, TwoProcessesWritingAtOnceLoseNothing)
{
    constexpr int kValuesPerProcess = 200;
    const auto key = Key::create(Hive::CurrentUser, u"software\\Talvo\\Talvo Professional");
    ASSERT_THAT(key, IsOk());
    int start[2];
    ASSERT_EQ(0, ::pipe(start));
    pid_t children[2];
    for (int child = 0; child < 2; ++child) {
        children[child] = ::fork();
        ASSERT_GE(children[child], 0);
        if (children[child] == 0) {
            ::close(start[1]);
            char ignored;
            (void)::read(start[0], &ignored, 1); // Returns when the parent closes its end: both start together.
            for (int i = 0; i < kValuesPerProcess; ++i) {
                const std::string name = "p" + std::to_string(child) + "v" + std::to_string(i);
                if (!key->setDword(std::u16string(name.begin(), name.end()), static_cast<DWORD>(i))) {
                    ::_exit(1);
                }
            }
            ::_exit(0);
        }
    }
    ::close(start[0]);
    ::close(start[1]);
    for (const pid_t child : children) {
        int status = 0;
        ASSERT_EQ(child, ::waitpid(child, &status, 0));
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    const auto values = key->values();
    ASSERT_THAT(values, IsOk());
    EXPECT_EQ(2u * kValuesPerProcess, values->size());
    for (int child = 0; child < 2; ++child) {
        for (int i = 0; i < kValuesPerProcess; i += 37) {
            const std::string name = "p" + std::to_string(child) + "v" + std::to_string(i);
            EXPECT_EQ(static_cast<DWORD>(i), *key->dword(std::u16string(name.begin(), name.end()))) << name;
        }
    }
}

TEST_F(HiveFileTest, HivesLiveWhereTheEnvironmentSays)
{
    ASSERT_THAT(Key::create(Hive::CurrentUser, u"software\\Talvo"), IsOk());
    EXPECT_TRUE(std::filesystem::exists(userHive()));
    EXPECT_THAT(Key::open(Hive::LocalMachine, u"Software\\Talvo"), FailsWith(kErrorFileNotFound));

    ASSERT_THAT(Key::create(Hive::LocalMachine, u"Software\\Talvo")->setString(u"InstallDir2", u"/srv/catalog"),
                IsOk());
    EXPECT_EQ(0u, readText(folder() / "talvo" / "machine.reg").find("REGEDIT4\n\n[HKEY_LOCAL_MACHINE]\n"));

    const std::filesystem::path elsewhere = folder() / "elsewhere" / "site.reg";
    setEnvironment("TALVO_MACHINE_REGISTRY", elsewhere.c_str());
    EXPECT_THAT(Key::open(Hive::LocalMachine, u"Software\\Talvo"), FailsWith(kErrorFileNotFound));
    ASSERT_THAT(Key::create(Hive::LocalMachine, u"Software\\Talvo"), IsOk());
    EXPECT_TRUE(std::filesystem::exists(elsewhere));

    // A relative XDG_CONFIG_HOME is ignored in favour of $HOME/.config.
    const std::filesystem::path home = folder() / "home";
    setEnvironment("HOME", home.c_str());
    setEnvironment("XDG_CONFIG_HOME", "relative");
    ASSERT_THAT(Key::create(Hive::CurrentUser, u"software\\Home"), IsOk());
    EXPECT_TRUE(std::filesystem::exists(home / ".config" / "talvo" / "user.reg"));
    setEnvironment("XDG_CONFIG_HOME", nullptr);
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software\\Home"), IsOk());
    setEnvironment("HOME", nullptr);
    EXPECT_THAT(Key::open(Hive::CurrentUser, u"software"), FailsWith(E_FAIL));
}

TEST_F(HiveFileTest, ReadOnlyHiveFailsTheWriteAndKeepsTheFile)
{
    const auto key = Key::create(Hive::CurrentUser, u"software");
    ASSERT_THAT(key, IsOk());
    ASSERT_THAT(key->setDword(u"A", 1), IsOk());
    const std::string before = readText(userHive());
    std::filesystem::permissions(userHive(), std::filesystem::perms::owner_read);
    EXPECT_THAT(key->setDword(u"A", 2), FailsWith(STG_E_ACCESSDENIED));
    EXPECT_THAT(key->deleteValue(u"A"), FailsWith(STG_E_ACCESSDENIED));
    EXPECT_EQ(before, readText(userHive()));
    EXPECT_EQ(1u, *key->dword(u"A"));
    // Writing what is already there changes nothing, so it needs no write.
    EXPECT_THAT(key->setDword(u"A", 1), IsOk());
    EXPECT_THAT(Key::create(Hive::CurrentUser, u"software"), IsOk());
}

TEST_F(HiveFileTest, KeyPathsReachAtMostFiveHundredAndTwelveKeysDown)
{
    const auto pathOf = [](std::size_t depth) {
        std::u16string path = u"software";
        for (std::size_t i = 1; i < depth; ++i) {
            path += u"\\k";
        }
        return path;
    };
    EXPECT_THAT(Key::create(Hive::CurrentUser, pathOf(512)), IsOk());
    EXPECT_THAT(Key::create(Hive::CurrentUser, pathOf(513)), FailsWith(E_INVALIDARG));
    auto deep = Key::open(Hive::CurrentUser, pathOf(500));
    ASSERT_THAT(deep, IsOk());
    EXPECT_THAT(deep->createSubkey(u"a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l"), IsOk());
    EXPECT_THAT(deep->createSubkey(u"a\\b\\c\\d\\e\\f\\g\\h\\i\\j\\k\\l\\m"), FailsWith(E_INVALIDARG));
    // What was written reads back.
    EXPECT_THAT(Key::open(Hive::CurrentUser, pathOf(512)), IsOk());
}

TEST_F(HiveFileTest, HostileFilesAreRejected)
{
    const std::filesystem::path folder = TALVO_MALFORMED_DIR;
    std::size_t count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        SCOPED_TRACE(entry.path().filename().string());
        const std::string text = readText(entry.path());
        writeText(userHive(), text);
        EXPECT_THAT(Key::open(Hive::CurrentUser, u"software"), FailsWith(kErrorBadHive));
        EXPECT_THAT(Key::create(Hive::CurrentUser, u"software\\Talvo"), FailsWith(kErrorBadHive));
        EXPECT_EQ(text, readText(userHive()));
        ++count;
    }
    EXPECT_GT(count, 0u);
}

} // namespace
