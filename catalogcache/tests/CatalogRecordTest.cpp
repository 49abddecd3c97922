#include "catalogcache/CatalogRecord.h"

#include "catalogcache/tests/support/CacheBytes.h"
#include "catalogcache/tests/support/Records.h"

#include <gtest/gtest.h>

namespace catalogcache {
namespace {

using testsupport::CacheBytes;

using testsupport::cacheOf;
using testsupport::practice;

TEST(CatalogRecordTest, RecordAndHeaderBytesFollowTheLayout)
{
    const CatalogRecord record = practice(u"/c/a");
    const auto expected = CacheBytes()
                              .field<std::uint8_t>(0)
                              .field<std::uint32_t>(0xFFFF5FFF)
                              .field<std::int32_t>(91) // 71 + 2 x (4 + 2 + 3 + 0 + 1)
                              .field<std::int32_t>(10)
                              .field<std::int32_t>(0x1234)
                              .field<std::uint32_t>(0x05060708)
                              .field<std::uint32_t>(0x01020304)
                              .field<double>(46000.25)
                              .field<std::int32_t>(60)
                              .field<std::int32_t>(590)
                              .field<float>(600.5F)
                              .field<std::int32_t>(12)
                              .field<std::int32_t>(4)
                              .field<std::int32_t>(2)
                              .field<std::int32_t>(3)
                              .field<std::int32_t>(0)
                              .field<std::int32_t>(1)
                              .text(u"/c/aARAnnx")
                              .field<std::uint16_t>(0xF0FA)
                              .bytes();
    ASSERT_EQ(expected.size(), recordLength(record));
    std::vector<std::uint8_t> written(expected.size());
    writeRecord(written, record);
    EXPECT_EQ(expected, written);
    EXPECT_EQ(record, readRecord(written, 0));
    EXPECT_EQ(71U, recordLength(CatalogRecord{}));

    std::vector<std::uint8_t> header(kHeaderSize, 0xEE);
    writeHeader(header, CatalogHeader{7, 0x40000, 3, 2, 1, 0x3FFFFFFF});
    EXPECT_EQ(CacheBytes()
                  .field<std::int32_t>(7)
                  .field<std::int32_t>(0x40000)
                  .field<std::int32_t>(3)
                  .field<std::int32_t>(2)
                  .field<std::int32_t>(1)
                  .zeros(40)
                  .field<std::int32_t>(0x3FFFFFFF)
                  .bytes(),
              header);
}

TEST(CatalogRecordTest, WalkStopsAtTheFirstBadRecordOrAfterTheLastLiveOne)
{
    const std::vector<CatalogRecord> records{practice(u"/c/a"), practice(u"/c/b", RecordState::Deleted),
                                             practice(u"/c/c", RecordState::Other)};
    const std::size_t second = kHeaderSize + 91;
    const std::size_t third = second + 91;
    struct Case {
        const char* name;
        std::size_t at;
        std::vector<std::uint8_t> bytes;
        std::size_t cacheSize;
        std::size_t visited;
        bool sound;
    };
    const Case cases[] = {
        {"sound", 0, {}, 4096, 3, true},
        {"exactly as long as its records", 0, {}, third + 91, 3, true},
        {"unknown state", second, {3}, 4096, 1, false},
        {"mark", second + 1, {0xFE}, 4096, 1, false},
        {"length two more", second + 5, {93}, 4096, 1, false},
        {"negative string length", third + 49, {0xFF, 0xFF, 0xFF, 0xFF}, 4096, 2, false},
        {"string lengths that overflow the length", third + 49, {0xFF, 0xFF, 0xFF, 0x7F}, 4096, 2, false},
        {"end mark", third + 89, {0xFB}, 4096, 2, false},
        {"last record cut short", 0, {}, third + 90, 2, false},
        {"more live records than there are", 12, {2}, 4096, 3, false},
        {"header size below the records", 4, {0x00, 0x01, 0, 0}, 4096, 2, false},
        {"version 6", 0, {6}, 4096, 0, false},
        {"header end mark", 63, {0x7F}, 4096, 0, false},
        {"negative live count", 8, {0xFF, 0xFF, 0xFF, 0xFF}, 4096, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> cache = cacheOf(records);
        std::copy(c.bytes.begin(), c.bytes.end(), cache.begin() + static_cast<std::ptrdiff_t>(c.at));
        cache.resize(c.cacheSize);
        std::size_t visited = 0;
        const platform::Status walked = walkRecords(cache, [&](const RecordPlace&) { ++visited; });
        EXPECT_EQ(c.sound, walked.hasValue());
        EXPECT_EQ(c.visited, visited);
    }
}

} // namespace
} // namespace catalogcache
