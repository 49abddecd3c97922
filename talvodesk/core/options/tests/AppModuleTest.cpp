#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/Settings.h"
#include "talvodesk/core/program/AppCommandLine.h"
#include "talvodesk/core/program/MessageLoop.h"

#include "catalogcache/CatalogEnglish.h"
#include "catalogcache/CatalogTexts.h"
#include "platform/registry/tests/support/RegistryFixture.h"
#include "platform/testing/Matchers.h"

#include <vector>

using namespace talvodesk;
using platform::registry::Key;

namespace {

class AppModuleTest : public platform::registry::testing::RegistryFixture {
protected:
    AppModuleTest()
    {
        std::filesystem::create_directories(folder() / "lang");
        m_root = OpenSettingsRoot();
    }
    CTalvoAppModule::Environment environment(LCID threadLocale = 0x409)
    {
        return {&*m_root, threadLocale, folder() / "lang", folder() / "help"};
    }
    void installLanguage(const char* library, const std::string& text)
    {
        writeText(folder() / "lang" / (std::string(library) + ".lang"), text);
    }
    /// The chosen language in the settings; none leaves the thread's locale to choose.
    void storeLocale(std::optional<DWORD> locale)
    {
        if (locale) {
            ASSERT_THAT(m_root->setDword(u"Locale", *locale), IsOk());
        } else {
            ASSERT_THAT(m_root->deleteValue(u"Locale"), IsOk());
        }
    }

    std::optional<Key> m_root;
};

TEST_F(AppModuleTest, LocaleChoosesTheLanguageFileAndHelpOrFallsBackToEnglish)
{
    for (const char* library : {"talvorus", "talvoara", "talvocht", "talvochs", "talvodeu", "talvotrk"}) {
        installLanguage(library, "# translated\n128\tx\n");
    }
    installLanguage("talvofra", "128 no tab\n");
    struct Case {
        std::optional<DWORD> stored;
        LCID thread;
        LCID lcid;
        const char* help;
        bool rtl;
        const char16_t* title;
    };
    const Case cases[] = {
        {0x0419, 0x409, 0x0419, "talvorus.chm", false, u"x"},
        {std::nullopt, 0x0419, 0x0419, "talvorus.chm", false, u"x"},
        {0x0809, 0x419, 0x0809, "talvodesk.chm", false, u"Talvo Professional"},
        {0x0401, 0x409, 0x0401, "talvodesk.chm", true, u"x"},
        {0x0404, 0x409, 0x0404, "talvodesk.chm", false, u"x"},
        {0x0804, 0x409, 0x0804, "talvodesk.chm", false, u"x"},
        {0x0C04, 0x419, 0x409, "talvodesk.chm", false, u"Talvo Professional"},
        {0x0407, 0x409, 0x0407, "talvodeu.chm", false, u"x"},
        {0x041F, 0x409, 0x041F, "talvotrk.chm", false, u"x"},
        {0x040C, 0x409, 0x409, "talvodesk.chm", false, u"Talvo Professional"}, // a damaged file
        {0x0410, 0x409, 0x409, "talvodesk.chm", false, u"Talvo Professional"}, // no file
        {0x0405, 0x409, 0x409, "talvodesk.chm", false, u"Talvo Professional"}, // no entry
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.stored.value_or(c.thread));
        ASSERT_NO_FATAL_FAILURE(storeLocale(c.stored));
        CTalvoAppModule module;
        EXPECT_HR(S_OK, module.Init(environment(c.thread)));
        EXPECT_EQ(c.lcid, module.m_lcid);
        EXPECT_EQ(folder() / "help" / c.help, module.m_szHelpFile);
        EXPECT_EQ(c.rtl, module.m_bRTL);
        EXPECT_EQ(c.title, module.LoadString(128));
        EXPECT_EQ(u"%-3.1f mm", module.LoadString(61224)); // English where a translation lacks it.
        EXPECT_EQ(5000u, module.m_serverTimeout);
        EXPECT_EQ(1000u, module.m_serverPause);
        module.Term(&*m_root);
        EXPECT_EQ(c.lcid, *m_root->dword(u"Locale"));
        EXPECT_EQ(u"Talvo Professional", module.LoadString(128));
    }
}

TEST_F(AppModuleTest, TheCatalogProgramsReadTheLanguageFileTheProgramReads)
{
    installLanguage("talvodeu", "37000\tX-TALVO Shooter Training System\n37100\tX-Open catalog\n");
    struct Case {
        std::optional<DWORD> stored;
        LCID thread;
        const char16_t* report;
        const char16_t* tray;
    };
    for (const Case& c : {Case{0x0407, 0x409, u"X-TALVO Shooter Training System", u"X-Open catalog"},
                          Case{std::nullopt, 0x0407, u"X-TALVO Shooter Training System", u"X-Open catalog"},
                          Case{0x0409, 0x0407, u"TALVO Shooter Training System", u"Open catalog"},
                          Case{0x0410, 0x409, u"TALVO Shooter Training System", u"Open catalog"}}) {
        SCOPED_TRACE(c.stored.value_or(c.thread));
        ASSERT_NO_FATAL_FAILURE(storeLocale(c.stored));
        CTalvoAppModule module;
        (void)module.Init(environment(c.thread));
        EXPECT_EQ(c.report, module.LoadString(37000));
        EXPECT_EQ(c.tray, module.LoadString(catalogcache::kOpenCatalogText)); // One file serves every program.
        const catalogcache::CatalogTexts catalog(
            platform::lang::loadLanguage(platform::lang::chosenLocale(&*m_root, c.thread), folder() / "lang"));
        EXPECT_EQ(c.tray, catalog.text(catalogcache::kOpenCatalogText));
        EXPECT_EQ(u"Quit", catalog.text(catalogcache::kQuitText));
    }
}

TEST_F(AppModuleTest, LanguageFilesAreCheckedLineByLine)
{
    EXPECT_EQ(u"a\nb\t\\c", *StringTable::parse("7\ta\\nb\\t\\\\c\r\n\n#x\n")->find(7));
    for (const char* bad : {"7\tx\n7\ty\n", "x\ty\n", "70000\ty\n", "-1\ty\n", "7\tend\\\n", "7\t\\q\n", "7\n"}) {
        SCOPED_TRACE(bad);
        EXPECT_THAT(StringTable::parse(bad), FailsWith(E_FAIL));
    }
}

TEST(AppCommandLineTest, ScansSwitchesAndValuesAsDocumented)
{
    struct Case {
        std::vector<std::string_view> arguments;
        std::int32_t action;
        std::uint32_t server;
        const char* file;
        const char* event;
        const char* shooter;
    };
    const Case cases[] = {
        {{}, -1, 0, "", "", ""},
        {{"/n", "Air Rifle", "Anna"}, 0, 0, "", "Air Rifle", "Anna"},
        {{"/N", "Air Rifle", "Anna", "third"}, 0, 0, "", "Air Rifle", "Anna"},
        {{"-NEWPRACTICE", "Air Rifle"}, 0, 0, "", "Air Rifle", ""},
        {{"/home/a/x.talvo"}, 1, 0, "/home/a/x.talvo", "", ""},
        {{"a.talvo", "b.talvo"}, 1, 0, "a.talvo", "", ""},
        {{"-Embedding"}, -1, 1, "", "", ""},
        {{"/automation", "a.talvo"}, 1, 1, "a.talvo", "", ""},
        {{"/RegServer"}, 5, 0, "", "", ""},
        {{"-register", "a.talvo"}, 5, 0, "a.talvo", "", ""},
        {{"/Unregserver"}, 6, 0, "", "", ""},
        {{"-unregister"}, 6, 0, "", "", ""},
        {{"-x", "--n", "-"}, -1, 0, "", "", ""},
        {{"/n", "/", "/home/a"}, 0, 0, "", "/", "/home/a"},
        {{"a.talvo", "/n", "Event", "Anna"}, 0, 0, "a.talvo", "", "Event"},
        {{"/n", "/Register", "a.talvo"}, 5, 0, "a.talvo", "", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.empty() ? "no arguments" : std::string(c.arguments[0]));
        const CAppCommandLine line(c.arguments);
        EXPECT_EQ(c.action, line.m_action);
        EXPECT_EQ(c.server, line.m_bServer);
        EXPECT_EQ(c.file, line.m_filePath);
        EXPECT_EQ(c.event, line.m_eventName);
        EXPECT_EQ(c.shooter, line.m_shooterName);
    }
}

TEST(MessageLoopTest, TimerPaintMouseAndDeviceMessagesDoNotRestartIdleProcessing)
{
    for (const std::uint32_t busy : {0x000Fu, 0x00A0u, 0x0113u, 0x0118u, 0x0200u, 0x7FFFu}) {
        EXPECT_FALSE(CMessageLoop2::IsIdleMessage(busy)) << busy;
    }
    for (const std::uint32_t idle : {0x0000u, 0x0010u, 0x0100u, 0x0112u, 0x0201u, 0x0464u, 0x7FFEu, 0x8000u}) {
        EXPECT_TRUE(CMessageLoop2::IsIdleMessage(idle)) << idle;
    }
}

} // namespace
