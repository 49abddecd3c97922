#include "platform/com/MemoryStream.h"
#include "platform/com/WriteAt.h"

#include "platform/testing/Matchers.h"

using namespace platform::com;

namespace {

TEST(MemoryStreamTest, ReadsShortAtTheEndAndWritesGrowTheBuffer)
{
    auto stream = makeComObject<MemoryStream>();
    ULONG count = 0;
    ASSERT_HR(S_OK, stream->Write("abcd", 4, &count));
    EXPECT_EQ(4u, count);
    ASSERT_HR(S_OK, stream->Seek(-2, STREAM_SEEK_CUR, nullptr));
    char buffer[8] = {};
    ASSERT_HR(S_OK, stream->Read(buffer, sizeof buffer, &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ(std::string("cd"), std::string(buffer, count));
    ASSERT_HR(S_OK, stream->Seek(6, STREAM_SEEK_SET, nullptr));
    ASSERT_HR(S_OK, stream->Write("z", 1, nullptr));
    EXPECT_EQ((std::vector<std::uint8_t>{'a', 'b', 'c', 'd', 0, 0, 'z'}), stream->bytes());
}

TEST(MemoryStreamTest, WriteAtOverwritesAppendsAndZeroFillsAGap)
{
    using Bytes = std::vector<std::uint8_t>;
    struct Case {
        const char* what;
        Bytes initial;
        std::uint64_t position;
        Bytes written;
        Bytes expected;
    };
    const Case cases[] = {
        {"append to nothing", {}, 0, {1, 2}, {1, 2}},
        {"overwrite inside", {1, 2, 3, 4}, 1, {8, 9}, {1, 8, 9, 4}},
        {"overwrite across the end", {1, 2, 3}, 2, {8, 9}, {1, 2, 8, 9}},
        {"append at the end", {1, 2}, 2, {3}, {1, 2, 3}},
        {"past the end", {1}, 3, {7}, {1, 0, 0, 7}},
        {"nothing past the end still grows", {1}, 2, {}, {1, 0}},
        {"nothing inside", {1, 2}, 1, {}, {1, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes data = c.initial;
        writeAt(data, c.position, c.written.data(), c.written.size());
        EXPECT_EQ(c.expected, data);
    }
}

TEST(MemoryStreamTest, SeekingBeforeTheStartFailsAndKeepsThePosition)
{
    auto stream = makeComObject<MemoryStream>(std::vector<std::uint8_t>{1, 2, 3});
    ULONGLONG position = 0;
    ASSERT_HR(S_OK, stream->Seek(-1, STREAM_SEEK_END, &position));
    EXPECT_EQ(2u, position);
    EXPECT_HR(STG_E_INVALIDFUNCTION, stream->Seek(-3, STREAM_SEEK_CUR, &position));
    EXPECT_EQ(2u, stream->position());
    EXPECT_HR(STG_E_INVALIDFUNCTION, stream->Seek(0, 7, nullptr));
}

TEST(MemoryStreamTest, ClonesShareDataButNotPosition)
{
    auto stream = makeComObject<MemoryStream>();
    ComPtr<IStream> clone;
    ASSERT_HR(S_OK, stream->Clone(clone.put()));
    ASSERT_HR(S_OK, stream->Write("xy", 2, nullptr));
    char buffer[2];
    ULONG count = 0;
    ASSERT_HR(S_OK, clone->Read(buffer, 2, &count));
    EXPECT_EQ(2u, count);
    EXPECT_EQ('x', buffer[0]);
}

} // namespace
