#include "catalogcache/CatalogCache.h"

#include "catalogcache/tests/support/CacheFolder.h"
#include "catalogcache/tests/support/Records.h"

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace catalogcache {
namespace {

using testsupport::cacheOf;
using testsupport::practice;

class CatalogCacheTest : public testsupport::CacheFolder {
protected:
    std::uintmax_t fileSize() const { return std::filesystem::file_size(location().cacheFile); }
};

/// A record whose path makes it exactly `length` bytes long (an odd number from 71 up).
CatalogRecord recordOfLength(std::size_t length, std::u16string tag)
{
    CatalogRecord record;
    record.fileVersion = 10;
    record.path = tag + std::u16string((length - kFixedRecordLength) / 2 - tag.size(), u'p');
    return record;
}

TEST_F(CatalogCacheTest, EmptyFileBecomesOneStepWithAnEmptyHeader)
{
    platform::fs::testing::writeText(location().cacheFile, "");
    const auto cache = openCache();
    EXPECT_FALSE(cache->wasReused());
    EXPECT_EQ(0x40000U, fileSize());
    std::vector<std::uint8_t> expected(kHeaderSize);
    writeHeader(expected, CatalogHeader{7, 0x40000, 0, 0, 0, 0x3FFFFFFF});
    EXPECT_TRUE(std::equal(expected.begin(), expected.end(), cache->bytes().begin()));
}

TEST_F(CatalogCacheTest, AppendGrowsByTheFewestWholeSteps)
{
    struct Case {
        std::size_t end; // Where the record would end.
        std::uint32_t size;
    };
    for (const Case c :
         {Case{64 + 73, 0x40000}, Case{0x3FFFF, 0x40000}, Case{0x40001, 0x80000}, Case{0x40000 + 0x40001, 0xC0000}}) {
        SCOPED_TRACE(c.end);
        std::filesystem::remove(location().cacheFile);
        const auto cache = openCache();
        const std::uint32_t generation = page().generation();
        ASSERT_EQ(CatalogCache::Append::Written, cache->append(recordOfLength(c.end - kHeaderSize, u"a")));
        EXPECT_EQ(c.size, fileSize());
        EXPECT_EQ(static_cast<std::int32_t>(c.size), cache->header().size);
        EXPECT_EQ(generation + 1, page().generation());
        EXPECT_EQ(1, cache->header().liveDocuments);
        EXPECT_TRUE(cache->find(cache->record(kHeaderSize).path).has_value());
    }
}

TEST_F(CatalogCacheTest, CompactsBeforeAnAppendOnceMoreThan100RecordsWereDeleted)
{
    for (const int deletions : {100, 101}) {
        SCOPED_TRACE(deletions);
        std::filesystem::remove(location().cacheFile);
        const auto cache = openCache();
        for (int i = 0; i < 150; ++i) {
            ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/" + std::u16string(1, u'0' + i))));
        }
        // Every even record, then odd ones: deleted records lie between live ones.
        const std::vector<std::size_t> offsets = cache->liveOffsets();
        for (int i = 0; i < deletions; ++i) {
            cache->remove(offsets[static_cast<std::size_t>(i < 75 ? 2 * i : 2 * i - 149)]);
        }
        ASSERT_EQ(deletions, cache->header().deleted);
        ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/new")));

        EXPECT_EQ(deletions > 100 ? 0 : deletions, cache->header().deleted);
        EXPECT_EQ(150 - deletions + 1, cache->header().liveDocuments);
        std::size_t expected = kHeaderSize;
        int deleted = 0;
        EXPECT_TRUE(walkRecords(cache->bytes(), [&](const RecordPlace& place) {
                        deleted += place.state == RecordState::Deleted ? 1 : 0;
                        if (deletions > 100) {
                            EXPECT_EQ(expected, place.offset);
                        }
                        expected = place.offset + place.length;
                    }).hasValue());
        EXPECT_EQ(deletions > 100 ? 0 : deletions, deleted);
        for (const std::size_t offset : cache->liveOffsets()) {
            EXPECT_EQ(offset, cache->find(cache->record(offset).path));
        }
    }
}

TEST_F(CatalogCacheTest, KeepsASoundCacheAcrossRunsAndStartsADamagedOneAfresh)
{
    struct Case {
        const char* name;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
        std::size_t fileSize;
        bool reused;
        std::uint32_t openedSize;
    };
    const std::size_t second = kHeaderSize + 91;
    const Case cases[] = {
        {"sound", 0, {}, 0x40000, true, 0x40000},
        {"between steps", 4, {0x00, 0x00, 0x05, 0x00}, 0x50000, true, 0x80000},
        {"size other than the file's", 4, {0x00, 0x00, 0x08, 0x00}, 0x40000, false, 0x40000},
        {"version", 0, {6}, 0x40000, false, 0x40000},
        {"end mark", 60, {0}, 0x40000, false, 0x40000},
        {"record end mark", second + 89, {0}, 0x40000, false, 0x40000},
        {"document count other than the records'", 8, {2}, 0x40000, false, 0x40000},
        {"shorter than a step", 4, {0xFF, 0xFF, 0x03, 0x00}, 0x3FFFF, false, 0x40000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes =
            cacheOf({practice(u"/c/a"), practice(u"/c/b", RecordState::Other)}, c.fileSize);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin() + static_cast<std::ptrdiff_t>(c.at));
        std::ofstream(location().cacheFile, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));

        const auto cache = openCache();
        EXPECT_EQ(c.reused, cache->wasReused());
        EXPECT_EQ(c.openedSize, fileSize());
        EXPECT_EQ(static_cast<std::int32_t>(c.openedSize), cache->header().size);
        EXPECT_EQ(c.reused ? 2U : 0U, cache->liveOffsets().size());
        EXPECT_EQ(c.reused, cache->find(u"/c/b").has_value());
        EXPECT_FALSE(cache->find(u"/C/B").has_value());
    }
}

TEST_F(CatalogCacheTest, DropsARecordWhenTheFileCannotGrow)
{
    const auto cache = openCache();
    ASSERT_EQ(CatalogCache::Append::Written, cache->append(practice(u"/c/a")));
    const std::vector<std::uint8_t> before(cache->bytes().begin(), cache->bytes().end());
    // The file size limit makes growing fail as a full disk would; the child process alone carries it.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{0x40000, 0x40000};
        const bool limited = setrlimit(RLIMIT_FSIZE, &limit) == 0;
        const std::uint32_t generation = page().generation();
        const bool dropped = cache->append(recordOfLength(0x40001, u"big")) == CatalogCache::Append::Dropped;
        const bool untouched = std::equal(before.begin(), before.end(), cache->bytes().begin()) &&
                               cache->bytes().size() == 0x40000 && page().generation() == generation;
        const bool smallFits = cache->append(practice(u"/c/b")) == CatalogCache::Append::Written;
        _exit(limited && dropped && untouched && smallFits ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(0x40000U, fileSize());
}

} // namespace
} // namespace catalogcache
