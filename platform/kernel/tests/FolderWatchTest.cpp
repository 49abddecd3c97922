#include "platform/kernel/FolderWatch.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <future>

namespace platform::kernel {
namespace {

using namespace std::chrono_literals;
using Wake = FolderWatch::Wake;

TEST(FolderWatchTest, ABurstOfChangesWakesOnceAndOnlyWatchedFoldersReport)
{
    fs::testing::TemporaryFolder folder;
    std::filesystem::create_directory(folder / "sub");
    const auto watch = FolderWatch::create().value();
    ASSERT_TRUE(watch->watch(folder.path()).hasValue());
    EXPECT_EQ(Wake::TimedOut, watch->wait(0ms));

    for (int i = 0; i < 50; ++i) {
        fs::testing::writeText(folder / ("f" + std::to_string(i)), "x");
    }
    EXPECT_EQ(Wake::Change, watch->wait(kWaitForever));
    EXPECT_EQ(Wake::TimedOut, watch->wait(0ms));

    fs::testing::writeText(folder / "sub" / "unwatched", "x"); // Watches are not recursive.
    EXPECT_EQ(Wake::TimedOut, watch->wait(0ms));
    ASSERT_TRUE(watch->watch(folder / "sub").hasValue());
    std::filesystem::remove(folder / "sub" / "unwatched");
    EXPECT_EQ(Wake::Change, watch->wait(0ms));

    EXPECT_EQ(STG_E_PATHNOTFOUND, watch->watch(folder / "missing").code());
}

TEST(FolderWatchTest, StopWakesAWaitAtOnceAndStaysSet)
{
    fs::testing::TemporaryFolder folder;
    const auto watch = FolderWatch::create().value();
    ASSERT_TRUE(watch->watch(folder.path()).hasValue());
    for (const Timeout timeout : {kWaitForever, Timeout(std::chrono::hours(1))}) {
        auto waiting = std::async(std::launch::async, [&] { return watch->wait(timeout); });
        watch->stop();
        EXPECT_EQ(Wake::Stop, waiting.get());
    }
    fs::testing::writeText(folder / "late", "x");
    EXPECT_EQ(Wake::Stop, watch->wait(0ms));
    EXPECT_TRUE(watch->stopRequested());
}

} // namespace
} // namespace platform::kernel
