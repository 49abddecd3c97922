#include "catalogcache/CatalogReader.h"

#include "catalogcache/CatalogCache.h"
#include "catalogcache/tests/support/CacheFolder.h"
#include "catalogcache/tests/support/Records.h"

#include "platform/kernel/SwmrgGuard.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <optional>
#include <random>
#include <sys/wait.h>
#include <unistd.h>

namespace catalogcache {
namespace {

using namespace std::chrono_literals;
using platform::kernel::SwmrgGuard;
using testsupport::cacheOf;
using testsupport::practice;

class CatalogReaderTest : public testsupport::CacheFolder {
protected:
    std::unique_ptr<CatalogReader> makeReader()
    {
        auto reader = CatalogReader::create(location());
        EXPECT_TRUE(reader.hasValue());
        return reader ? std::move(reader).value() : nullptr;
    }
    std::unique_ptr<SwmrgGuard> makeGuard()
    {
        auto guard = SwmrgGuard::CreateGuard(location().runtimeFolder, kGuardName);
        EXPECT_TRUE(guard.hasValue());
        return guard ? std::move(guard).value() : nullptr;
    }
    void writeCache(const std::vector<std::uint8_t>& bytes)
    {
        std::ofstream(location().cacheFile, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }
};

std::vector<std::u16string> pathsOf(const CatalogReader& reader)
{
    std::vector<std::u16string> paths;
    for (const CatalogRecord& record : reader.records()) {
        paths.push_back(record.path);
    }
    return paths;
}

/// Blocks until the other process writes a byte; false when it died first.
bool awaitByte(int fd)
{
    char byte = 0;
    return read(fd, &byte, 1) == 1;
}

void sendByte(int fd)
{
    const char byte = 1;
    ASSERT_EQ(1, write(fd, &byte, 1));
}

TEST_F(CatalogReaderTest, RereadsOnlyWhenTheGenerationOrTheStartStampMoved)
{
    auto cache = openCache();
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/a")));
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/b")));
    const auto reader = makeReader();
    EXPECT_EQ(CatalogReader::Refresh::Rebuilt, reader->refresh().value());
    EXPECT_EQ(CatalogReader::Refresh::Unchanged, reader->refresh().value());
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/c")));
    EXPECT_EQ(CatalogReader::Refresh::Rebuilt, reader->refresh().value());
    EXPECT_EQ((std::vector<std::u16string>{u"/c/a", u"/c/b", u"/c/c"}), pathsOf(*reader));
    EXPECT_EQ(3U, reader->generation());

    // A restarted watcher counts from 0 again: three changes bring the counter back to where it was.
    cache.reset();
    auto restarted = GenerationPage::create(location().generationPage());
    ASSERT_TRUE(restarted.hasValue());
    cache = CatalogCache::open(location().cacheFile, *restarted).value();
    ASSERT_TRUE(cache->wasReused());
    cache->remove(*cache->find(u"/c/a"));
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/d")));
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/e")));
    ASSERT_EQ(3U, restarted->generation());
    EXPECT_EQ(CatalogReader::Refresh::Rebuilt, reader->refresh().value());
    EXPECT_EQ((std::vector<std::u16string>{u"/c/b", u"/c/c", u"/c/d", u"/c/e"}), pathsOf(*reader));
}

TEST_F(CatalogReaderTest, FailuresAreReportedAndKeepTheRecords)
{
    auto noPage = CatalogReader::create(CatalogLocation{location().cacheFile, m_folder.path()});
    ASSERT_TRUE(noPage.hasValue());
    const auto missing = (*noPage)->refresh();
    ASSERT_FALSE(missing.hasValue());
    EXPECT_EQ("Unable to open file mapping: 2", missing.error().detail);

    struct Case {
        const char* name;
        std::optional<std::vector<std::uint8_t>> cache; // None: no cache file at all.
        const char* message;
    };
    std::vector<std::uint8_t> wrongVersion = cacheOf({practice(u"/c/x")});
    wrongVersion[0] = 6;
    std::vector<std::uint8_t> badRecord = cacheOf({practice(u"/c/x")});
    badRecord[kHeaderSize + 1] = 0;
    std::vector<std::uint8_t> compacting = cacheOf({practice(u"/c/x")});
    CatalogHeader marked = readHeader(compacting);
    marked.compacting = kCompactingMark; // A watcher died while moving records.
    writeHeader(compacting, marked);
    const Case cases[] = {
        {"no cache file", std::nullopt, "Unable to open file mapping"},
        {"empty cache file", std::vector<std::uint8_t>{}, "Unable to map view of file"},
        {"wrong version", wrongVersion, "Invalid cache version or corrupted"},
        {"bad record", badRecord, "Invalid cache version or corrupted"},
        {"compaction under way", compacting, "Invalid cache version or corrupted"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeCache(cacheOf({practice(u"/c/a"), practice(u"/c/b")}));
        page().increment();
        const auto reader = makeReader();
        ASSERT_TRUE(reader->refresh().hasValue());
        if (c.cache) {
            writeCache(*c.cache);
        } else {
            std::filesystem::remove(location().cacheFile);
        }
        page().increment();
        const auto refreshed = reader->refresh();
        ASSERT_FALSE(refreshed.hasValue());
        EXPECT_EQ(c.message, refreshed.error().detail);
        EXPECT_EQ((std::vector<std::u16string>{u"/c/a", u"/c/b"}), pathsOf(*reader));
    }
}

TEST_F(CatalogReaderTest, MutatedCacheFilesAreReadSafelyByBothSides)
{
    const std::vector<CatalogRecord> records{practice(u"/c/a"), practice(u"/c/b", RecordState::Deleted),
                                             practice(u"/c/c", RecordState::Other),
                                             practice(u"/c/d/long name of a practice")};
    const std::vector<std::uint8_t> small = cacheOf(records, 512);
    const std::vector<std::uint8_t> full = cacheOf(records, kGrowthStep);
    const auto reader = makeReader();
    std::mt19937 random(7);
    for (int round = 0; round < 3000; ++round) {
        const bool writer = round % 30 == 0;
        std::vector<std::uint8_t> bytes = writer ? full : small;
        for (int flips = 1 + static_cast<int>(random() % 4); flips > 0; --flips) {
            bytes[random() % small.size()] = static_cast<std::uint8_t>(random());
        }
        if (round % 7 == 0) {
            bytes.resize(random() % bytes.size());
        }
        writeCache(bytes);
        if (writer) {
            // The watcher either keeps a cache whose every record is sound, or starts it afresh.
            const auto cache = CatalogCache::open(location().cacheFile, page());
            ASSERT_TRUE(cache.hasValue());
            EXPECT_TRUE(walkRecords((*cache)->bytes(), [](const RecordPlace&) {}).hasValue());
            continue;
        }
        page().increment();
        const std::vector<CatalogRecord> before = reader->records();
        if (!reader->refresh()) {
            EXPECT_EQ(before, reader->records());
        } else {
            EXPECT_LE(reader->records().size(), 3U);
        }
    }
}

TEST_F(CatalogReaderTest, AReaderWaitsWhileTheWriterAppends)
{
    const auto cache = openCache();
    const auto guard = makeGuard();
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(0, pipe(toChild));
    ASSERT_EQ(0, pipe(toParent));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(60); // A hang fails the test instead of stalling it.
        const auto reader = CatalogReader::create(location());
        const auto probe = SwmrgGuard::CreateGuard(location().runtimeFolder, kGuardName);
        if (!reader || !probe || !awaitByte(toChild[0]) || (*probe)->WaitToRead(0ms)) {
            _exit(1);
        }
        sendByte(toParent[1]);
        // Blocks until the writer is done, then sees both records whole.
        const auto refreshed = (*reader)->refresh();
        _exit(refreshed && (*reader)->records().size() == 2 ? 0 : 2);
    }
    {
        const platform::kernel::WriteLock lock(*guard);
        ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/a")));
        sendByte(toChild[1]);
        EXPECT_TRUE(awaitByte(toParent[0]));
        ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/b")));
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status));
    EXPECT_EQ(0, WEXITSTATUS(status));
}

TEST_F(CatalogReaderTest, AReaderKilledInsideItsReadLockDoesNotBlockTheWriter)
{
    const auto guard = makeGuard();
    int toParent[2];
    ASSERT_EQ(0, pipe(toParent));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        alarm(60);
        const auto reader = SwmrgGuard::CreateGuard(location().runtimeFolder, kGuardName);
        if (!reader || !(*reader)->WaitToRead(platform::kernel::kWaitForever)) {
            _exit(1);
        }
        sendByte(toParent[1]);
        pause();
        _exit(0);
    }
    ASSERT_TRUE(awaitByte(toParent[0]));
    EXPECT_FALSE(guard->WaitToWrite(0ms));
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(guard->WaitToWrite(10s));
    guard->DoneWriting();
}

} // namespace
} // namespace catalogcache
