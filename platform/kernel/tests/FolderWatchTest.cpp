#include "platform/kernel/FolderWatch.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <future>
#include <set>

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

TEST(FolderWatchTest, ChangesNameTheFoldersWhoseFilesChangedAndTheTreesThatCameOrWent)
{
    namespace fsys = std::filesystem;
    using Paths = std::set<fsys::path>;
    fs::testing::TemporaryFolder folder;
    const fsys::path root = folder.path();
    fsys::create_directories(root / "a" / "deep");
    const auto watch = FolderWatch::create().value();
    for (const fsys::path& watched : {root, root / "a", root / "a" / "deep"}) {
        ASSERT_TRUE(watch->watch(watched).hasValue());
    }
    const auto changes = [&] {
        (void)watch->wait(0ms);
        return watch->takeChanges();
    };

    fs::testing::writeText(root / "a" / "file", "x");
    fsys::create_directory(root / "b");
    FolderWatch::Changes seen = changes();
    EXPECT_EQ(Paths{root / "a"}, seen.folders);
    EXPECT_EQ(Paths{root / "b"}, seen.trees);
    EXPECT_FALSE(seen.overflowed);
    EXPECT_TRUE(changes().folders.empty()); // Taken once.

    fsys::rename(root / "a", root / "moved");
    EXPECT_EQ((Paths{root / "a", root / "moved"}), changes().trees);
    ASSERT_TRUE(watch->watch(root / "moved" / "deep").hasValue()); // Known by its new path from now on.
    fs::testing::writeText(root / "moved" / "deep" / "file", "x");
    EXPECT_EQ(Paths{root / "moved" / "deep"}, changes().folders);

    watch->unwatch(root / "moved");
    fs::testing::writeText(root / "moved" / "deep" / "other", "x");
    fsys::remove_all(root / "b");
    seen = changes();
    EXPECT_TRUE(seen.folders.empty());
    EXPECT_EQ(Paths{root / "b"}, seen.trees);
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
