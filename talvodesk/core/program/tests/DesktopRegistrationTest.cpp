#include "talvodesk/core/program/DesktopRegistration.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <set>
#include <sstream>
#include <string>

using namespace talvodesk;
namespace fs = std::filesystem;

namespace {

/// Every path under the folder with the content of each file.
std::set<std::string> tree(const fs::path& folder)
{
    std::set<std::string> entries;
    for (const auto& entry : fs::recursive_directory_iterator(folder)) {
        std::string line = fs::relative(entry.path(), folder).string();
        if (entry.is_regular_file()) {
            std::ifstream file(entry.path());
            std::stringstream text;
            text << file.rdbuf();
            line += "=" + text.str();
        }
        entries.insert(line);
    }
    return entries;
}

std::string readText(const fs::path& path)
{
    std::ifstream file(path);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(DesktopRegistrationTest, RegisterThenUnregisterLeavesTheFoldersAsBefore)
{
    struct Case {
        const char* name;
        const char* dataFolder;
        std::function<void(const fs::path&)> setUp;
    };
    const std::vector<Case> cases = {
        {"nothing there", ".local/share", [](const fs::path&) {}},
        {"an empty data folder", ".local/share", [](const fs::path& data) { fs::create_directories(data); }},
        {"other programs' entries", ".local/share",
         [](const fs::path& data) {
             fs::create_directories(data / "applications");
             fs::create_directories(data / "mime" / "packages");
             std::ofstream(data / "applications" / "other.desktop") << "[Desktop Entry]\n";
         }},
        {"list separators in the folder names", "my;data\\x/share", [](const fs::path&) {}},
    };
    for (const auto& [name, dataFolder, setUp] : cases) {
        const platform::fs::testing::TemporaryFolder home;
        const fs::path data = home.path() / dataFolder;
        setUp(data);
        const auto before = tree(home.path());

        ASSERT_TRUE(RegisterDesktopEntry(data, "/opt/my \"talvo\"/bin/talvodesk", "<svg/>")) << name;
        // Twice is harmless.
        ASSERT_TRUE(RegisterDesktopEntry(data, "/opt/my \"talvo\"/bin/talvodesk", "<svg/>")) << name;
        const std::string entry = readText(data / "applications" / "talvodesk.desktop");
        // Quoted, then escaped again as a string value.
        EXPECT_NE(entry.find("Exec=\"/opt/my \\\\\"talvo\\\\\"/bin/talvodesk\" %f\n"), std::string::npos) << entry;
        EXPECT_NE(entry.find("MimeType=application/x-talvo-practice;\n"), std::string::npos);
        EXPECT_NE(readText(data / "mime" / "packages" / "talvo-practice.xml").find("<glob pattern=\"*.talvo\"/>"),
                  std::string::npos);
        EXPECT_NE(entry.find("Icon=talvodesk\n"), std::string::npos);
        EXPECT_EQ("<svg/>", readText(data / "icons" / "hicolor" / "scalable" / "apps" / "talvodesk.svg"));

        ASSERT_TRUE(UnregisterDesktopEntry(data)) << name;
        EXPECT_EQ(tree(home.path()), before) << name;
        EXPECT_TRUE(UnregisterDesktopEntry(data)) << name; // nothing left to remove
    }
}

TEST(DesktopRegistrationTest, TheProgramsPathIsQuotedThenEscapedAsAStringInExec)
{
    struct Case {
        const char* program;
        const char* exec;
    };
    const Case cases[] = {
        {"/opt/talvo/talvodesk", "Exec=\"/opt/talvo/talvodesk\" %f\n"},
        {"/opt/100%/talvodesk", "Exec=\"/opt/100%%/talvodesk\" %f\n"},      // no field code
        {"/opt/a\\b/talvodesk", "Exec=\"/opt/a\\\\\\\\b/talvodesk\" %f\n"}, // four backslashes for one
        {"/opt/$HOME `x`/talvodesk", "Exec=\"/opt/\\\\$HOME \\\\`x\\\\`/talvodesk\" %f\n"},
        {"/opt/tab\there/talvodesk", "Exec=\"/opt/tab\\there/talvodesk\" %f\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.program);
        const platform::fs::testing::TemporaryFolder home;
        ASSERT_TRUE(RegisterDesktopEntry(home.path(), c.program, "<svg/>"));
        const std::string entry = readText(home.path() / "applications" / "talvodesk.desktop");
        EXPECT_NE(entry.find(c.exec), std::string::npos) << entry;
    }
}

TEST(DesktopRegistrationTest, UnregisterTakesAwayTheFoldersNotedByAnEarlierEntryOneKeyPerFolder)
{
    const platform::fs::testing::TemporaryFolder home;
    const fs::path data = home.path() / "share";
    fs::create_directories(data / "applications");
    fs::create_directories(data / "mime" / "packages");
    std::ofstream(data / "applications" / "talvodesk.desktop")
        << "[Desktop Entry]\nX-Talvo-CreatedFolder=" << data.string()
        << "\nX-Talvo-CreatedFolder=" << (data / "applications").string()
        << "\nX-Talvo-CreatedFolder=" << (data / "mime").string()
        << "\nX-Talvo-CreatedFolder=" << (data / "mime" / "packages").string() << "\n";
    ASSERT_TRUE(UnregisterDesktopEntry(data));
    EXPECT_FALSE(fs::exists(data));
}

} // namespace
