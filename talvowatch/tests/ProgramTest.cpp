#include "talvowatch/tests/support/PracticeFile.h"

#include "catalogcache/CatalogReader.h"
#include "catalogcache/GenerationPage.h"
#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>

extern char** environ;

namespace {

using namespace std::chrono_literals;

/// Starts the watcher program with its folders in `home`; the pid, or -1.
pid_t startWatcher(const std::filesystem::path& home)
{
    std::vector<std::string> settings{"HOME=" + home.string(), "XDG_RUNTIME_DIR=" + (home / "run").string(),
                                      "XDG_CACHE_HOME=" + (home / "cache").string(),
                                      "XDG_CONFIG_HOME=" + (home / "config").string(), "QT_QPA_PLATFORM=offscreen"};
    std::vector<char*> environment;
    for (std::string& setting : settings) {
        environment.push_back(setting.data());
    }
    for (char** variable = environ; *variable != nullptr; ++variable) {
        environment.push_back(*variable); // Later duplicates lose to the settings above.
    }
    environment.push_back(nullptr);
    char program[] = TALVOWATCH_PROGRAM;
    char* arguments[] = {program, nullptr};
    pid_t pid = -1;
    return posix_spawn(&pid, program, nullptr, nullptr, arguments, environment.data()) == 0 ? pid : -1;
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

} // namespace
