#include "talvowatch/tests/support/PracticeFile.h"

#include "catalogcache/CatalogReader.h"
#include "catalogcache/GenerationPage.h"
#include "platform/com/Bstr.h"
#include "platform/fs/tests/support/ChildProcess.h"
#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <sstream>
#include <sys/wait.h>
#include <thread>

namespace {

using namespace std::chrono_literals;

/// Starts the watcher program with its folders in `home` (and its error output in `log`, when given); the pid, or
/// -1.
pid_t startWatcher(const std::filesystem::path& home, const std::filesystem::path& log = {})
{
    const std::vector<std::string> settings{"HOME=" + home.string(), "XDG_RUNTIME_DIR=" + (home / "run").string(),
                                            "XDG_CACHE_HOME=" + (home / "cache").string(),
                                            "XDG_CONFIG_HOME=" + (home / "config").string(),
                                            "QT_QPA_PLATFORM=offscreen"};
    std::vector<platform::fs::testing::ChildDescriptor> descriptors;
    if (!log.empty()) {
        descriptors.push_back({2, log});
    }
    return platform::fs::testing::startProgram(TALVOWATCH_PROGRAM, {}, settings, descriptors);
}

int exitCode(pid_t pid)
{
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

/// Polls until `done` holds (bounded).
template <typename Condition> bool awaitCondition(Condition done)
{
    const auto deadline = std::chrono::steady_clock::now() + 60s;
    while (std::chrono::steady_clock::now() < deadline) {
        if (done()) {
            return true;
        }
        std::this_thread::sleep_for(20ms);
    }
    return false;
}

TEST(ProgramTest, IndexesTheCatalogOncePerUserAndStopsCleanlyOnSigterm)
{
    platform::fs::testing::TemporaryFolder home;
    std::filesystem::create_directories(home / "Talvo catalog");
    ASSERT_TRUE(talvowatch::testsupport::writePractice(home / "Talvo catalog" / "a.talvo", {}).hasValue());
    const catalogcache::CatalogLocation location{home / "cache" / "talvo" / "talvowatch.tmp", home / "run" / "talvo"};
    const pid_t watcher = startWatcher(home.path());
    ASSERT_GT(watcher, 0);
    ASSERT_TRUE(awaitCondition([&] {
        auto page = catalogcache::GenerationPage::open(location.generationPage());
        return page && page->isReady();
    }));
    EXPECT_TRUE(catalogcache::CatalogReader::isWatcherReady(location));
    const auto reader = catalogcache::CatalogReader::create(location).value();
    EXPECT_TRUE(awaitCondition([&] { return reader->refresh() && reader->records().size() == 1; }));

    const pid_t second = startWatcher(home.path());
    ASSERT_GT(second, 0);
    EXPECT_EQ(0, exitCode(second));

    ASSERT_EQ(0, kill(watcher, SIGTERM));
    EXPECT_EQ(0, exitCode(watcher));
    EXPECT_FALSE(catalogcache::GenerationPage::open(location.generationPage())->isReady());
    EXPECT_FALSE(catalogcache::CatalogReader::isWatcherReady(location));

    // A watcher that dies leaves its ready flag set, but not its instance lock.
    const pid_t killed = startWatcher(home.path());
    ASSERT_GT(killed, 0);
    ASSERT_TRUE(awaitCondition([&] { return catalogcache::CatalogReader::isWatcherReady(location); }));
    ASSERT_EQ(0, kill(killed, SIGKILL));
    EXPECT_EQ(-1, exitCode(killed));
    EXPECT_TRUE(catalogcache::GenerationPage::open(location.generationPage())->isReady());
    EXPECT_FALSE(catalogcache::CatalogReader::isWatcherReady(location));
}

TEST(ProgramTest, ListsAPracticeSavedIntoACatalogFolderMadeAtStartOrLater)
{
    struct Case {
        const char* name;
        const char* folder;  // The machine's catalog folder under the home folder; null: the default.
        const char* blocker; // A file in the way of the folder, removed once the watcher runs.
    };
    for (const Case c : {Case{"made at start", nullptr, nullptr}, Case{"made later", "media/disk/catalog", "media"}}) {
        SCOPED_TRACE(c.name);
        platform::fs::testing::TemporaryFolder home;
        const std::filesystem::path catalog = home / (c.folder ? c.folder : "Talvo catalog");
        if (c.folder) {
            std::filesystem::create_directories(home / "config" / "talvo");
            platform::fs::testing::writeText(home / "config" / "talvo" / "machine.reg",
                                             "REGEDIT4\n[HKEY_LOCAL_MACHINE\\Software\\Talvo]\n\"InstallDir2\"=\"" +
                                                 catalog.string() + "\"\n");
        }
        if (c.blocker) {
            platform::fs::testing::writeText(home / c.blocker, "");
        }
        const catalogcache::CatalogLocation location{home / "cache" / "talvo" / "talvowatch.tmp",
                                                     home / "run" / "talvo"};
        const pid_t watcher = startWatcher(home.path(), home / "watcher.log");
        ASSERT_GT(watcher, 0);
        ASSERT_TRUE(awaitCondition([&] { return catalogcache::CatalogReader::isWatcherReady(location); }));
        if (c.blocker) {
            ASSERT_TRUE(awaitCondition([&] {
                std::stringstream log;
                log << std::ifstream(home / "watcher.log").rdbuf();
                return log.str().find("Cannot make the catalog folder " + catalog.string()) != std::string::npos;
            }));
            std::filesystem::remove(home / c.blocker);
            std::filesystem::create_directories(catalog);
        } else {
            EXPECT_TRUE(awaitCondition([&] { return std::filesystem::is_directory(catalog); }));
        }
        ASSERT_TRUE(talvowatch::testsupport::writePractice(catalog / "a.talvo", {}).hasValue());

        const auto reader = catalogcache::CatalogReader::create(location).value();
        EXPECT_TRUE(awaitCondition([&] {
            return reader->refresh() && reader->records().size() == 1 &&
                   reader->records()[0].path == platform::com::utf8ToUtf16((catalog / "a.talvo").string());
        }));
        ASSERT_EQ(0, kill(watcher, SIGTERM));
        EXPECT_EQ(0, exitCode(watcher));
    }
}

} // namespace
