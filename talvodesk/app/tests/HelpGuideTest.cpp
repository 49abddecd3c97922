#include "platform/fs/ProgramFolder.h"
#include "talvodesk/app/FrameDialogs.h"
#include "talvodesk/app/MainFrame.h"
#include "talvodesk/app/MessageBoxes.h"
#include "talvodesk/app/tests/support/ProgramRun.h"
#include "talvodesk/core/frame/CommandTable.h"
#include "talvodesk/core/frame/HelpPages.h"
#include "talvodesk/core/frame/LanguageCommands.h"
#include "talvodesk/core/options/AppModule.h"

#include "platform/registry/tests/support/RegistryFixture.h"

#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

constexpr std::uintmax_t kLargestPicture = 200U << 10;

/// The English guide of the installed data folder (`TALVO_DATA_DIR`), else of the one beside the tests.
fs::path guide()
{
    const char* installed = std::getenv("TALVO_DATA_DIR");
    const fs::path help = installed ? fs::path(installed) / "help" : platform::fs::dataFolder("help");
    return help / fs::path(kDefaultHelpFile).stem();
}

std::string contents(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

TEST(HelpGuideTest, EveryCommandLeadsToAnInstalledPage)
{
    std::vector<cmd::Id> commands;
    for (const CommandInfo& command : CommandTable()) {
        commands.push_back(command.id);
    }
    for (const LanguageCommand& language : LanguageMenu()) {
        commands.push_back(language.id);
    }
    for (const cmd::Id id : commands) {
        const auto page = HelpPageOf(id);
        ASSERT_TRUE(page) << "command 0x" << std::hex << id << " has no page";
        EXPECT_TRUE(fs::is_regular_file(guide() / *page)) << *page;
    }
    EXPECT_TRUE(fs::is_regular_file(guide() / kHelpHomePage));
}

TEST(HelpGuideTest, NoLinkIsBrokenEveryPictureIsThereAndEveryPageIsReachedFromTheHome)
{
    const std::regex reference(R"((href|src)="([^"]*)\")");
    const std::regex anchor(R"(id="([^"]*)\")");
    std::set<fs::path> pages;
    std::set<fs::path> linked{guide() / kHelpHomePage};
    for (const auto& entry : fs::recursive_directory_iterator(guide())) {
        if (entry.path().extension() == ".html") {
            pages.insert(entry.path());
        }
    }
    ASSERT_FALSE(pages.empty()) << guide();
    for (const fs::path& page : pages) {
        const std::string text = contents(page);
        for (auto it = std::sregex_iterator(text.begin(), text.end(), reference); it != std::sregex_iterator(); ++it) {
            const std::string target = (*it)[2];
            SCOPED_TRACE(page.filename().string() + " -> " + target);
            EXPECT_EQ(target.find("://"), std::string::npos) << "the guide stays on the machine";
            const auto hash = target.find('#');
            const fs::path file = hash == 0 ? page : (page.parent_path() / target.substr(0, hash)).lexically_normal();
            ASSERT_TRUE(fs::is_regular_file(file));
            if (hash != std::string::npos) {
                const std::string wanted = target.substr(hash + 1);
                const std::string other = contents(file);
                bool found = false;
                for (auto id = std::sregex_iterator(other.begin(), other.end(), anchor); id != std::sregex_iterator();
                     ++id) {
                    found = found || (*id)[1] == wanted;
                }
                EXPECT_TRUE(found) << "no anchor " << wanted;
            }
            if ((*it)[1] == "src") {
                EXPECT_EQ(contents(file).substr(0, 8), "\x89PNG\r\n\x1a\n");
                EXPECT_LE(fs::file_size(file), kLargestPicture);
            } else if (file.extension() == ".html") {
                linked.insert(file);
            }
        }
    }
    EXPECT_EQ(linked, pages);
}

/// Records the pages the program opens instead of starting a browser.
class HelpDialogs final : public FrameDialogs {
public:
    void showHelpPage(const fs::path& page) override { pages.push_back(page.filename().string()); }
    std::optional<std::uint32_t> editOptions(QWidget* owner, COptions&, const TextLookup&,
                                             const platform::registry::Key*) override
    {
        QDialog dialog(owner);
        dialog.setModal(true);
        dialog.show();
        QTest::keyClick(&dialog, Qt::Key_F1);
        return std::nullopt;
    }

    std::vector<std::string> pages;
};

class ProgramHelpTest : public platform::registry::testing::RegistryFixture {
protected:
    ProgramHelpTest()
    {
        setEnvironment("HOME", folder().c_str());
        setEnvironment("XDG_DATA_HOME", nullptr);
    }
    HelpDialogs dialogs;
};

TEST_F(ProgramHelpTest, FOneOpensThePageOfTheMenuItemOrDialogAndTheHelpMenuTheHomePage)
{
    testsupport::RunProgramWith({}, dialogs, [&](MainFrame& frame) {
        QApplication::setActiveWindow(&frame);
        QTest::keyClick(&frame, Qt::Key_F1);
        EXPECT_TRUE(frame.action(cmd::Help)->isEnabled());
        frame.runCommand(cmd::Help);
        frame.runCommand(cmd::WebPage);
        frame.runCommand(cmd::Options);

        QMenu* view = nullptr;
        for (QAction* top : frame.menuBar()->actions()) {
            if (top->text() == QStringLiteral("&View")) {
                view = top->menu();
            }
        }
        ASSERT_NE(view, nullptr);
        view->popup({0, 0});
        view->setActiveAction(frame.action(cmd::FullScreen));
        QTest::keyClick(view, Qt::Key_F1);
        view->close();
    });
    EXPECT_EQ(dialogs.pages,
              (std::vector<std::string>{"index.html", "index.html", "index.html", "options.html", "window.html"}));
}

} // namespace
