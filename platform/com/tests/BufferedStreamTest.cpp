#include "platform/com/BufferedStream.h"

#include "platform/com/MemoryStream.h"
#include "platform/testing/Matchers.h"

#include <algorithm>
#include <random>
#include <vector>

using namespace platform::com;

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size)
{
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

/// Hands out `good` zero bytes, then fails every read.
class FailingStream final : public ComObject<IStream> {
public:
    FailingStream(ULONG good, HRESULT seekResult) : m_good(good), m_seekResult(seekResult) {}

    HRESULT Read(void* pv, ULONG cb, ULONG* pcbRead) override
    {
        *pcbRead = 0;
        if (m_good == 0) {
            return STG_E_READFAULT;
        }
        *pcbRead = std::min(cb, m_good);
        std::fill_n(static_cast<std::uint8_t*>(pv), *pcbRead, 0);
        m_good -= *pcbRead;
        return S_OK;
    }
    HRESULT Write(const void*, ULONG, ULONG*) override { return E_NOTIMPL; }
    HRESULT Seek(LONGLONG, DWORD, ULONGLONG* newPosition) override
    {
        *newPosition = 0;
        return m_seekResult;
    }
    HRESULT SetSize(ULONGLONG) override { return E_NOTIMPL; }
    HRESULT Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT Clone(IStream**) override { return E_NOTIMPL; }

private:
    ULONG m_good;
    HRESULT m_seekResult;
};

TEST(BufferedStreamTest, ReadsAndSeeksAsItsSourceWould)
{
    // The same random reads and seeks on a plain stream and on a buffered copy of it, started part way in.
    const Bytes data = pattern(5 * BufferedStream::kBufferSize + 123);
    auto plain = makeComObject<MemoryStream>(data);
    auto source = makeComObject<MemoryStream>(data);
    ASSERT_HR(S_OK, plain->Seek(1000, STREAM_SEEK_SET, nullptr));
    ASSERT_HR(S_OK, source->Seek(1000, STREAM_SEEK_SET, nullptr));
    auto buffered = BufferedStream::create(source);
    ASSERT_THAT(buffered, IsOk());
    const LONGLONG size = static_cast<LONGLONG>(data.size());
    const std::size_t readSizes[] = {0,
                                     1,
                                     4,
                                     16,
                                     1000,
                                     BufferedStream::kBufferSize - 1,
                                     BufferedStream::kBufferSize,
                                     2 * BufferedStream::kBufferSize + 5};
    const LONGLONG moves[] = {0, -1, 1, -17, 300, -5000, 40000, -size - 1, size};
    std::mt19937 random(20240611);
    for (int step = 0; step < 3000; ++step) {
        SCOPED_TRACE(step);
        if (random() % 3 != 0) {
            const std::size_t wanted = readSizes[random() % std::size(readSizes)];
            Bytes expected(wanted);
            Bytes actual(wanted);
            ULONG expectedCount = 0;
            ULONG actualCount = 0;
            ASSERT_HR(plain->Read(expected.data(), static_cast<ULONG>(wanted), &expectedCount),
                      (*buffered)->Read(actual.data(), static_cast<ULONG>(wanted), &actualCount));
            ASSERT_EQ(expectedCount, actualCount);
            ASSERT_EQ(expected, actual);
            continue;
        }
        const LONGLONG move = moves[random() % std::size(moves)];
        const auto origin = static_cast<DWORD>(random() % 3);
        ULONGLONG expectedPosition = 0;
        ULONGLONG actualPosition = 0;
        ASSERT_HR(plain->Seek(move, origin, &expectedPosition), (*buffered)->Seek(move, origin, &actualPosition));
        ASSERT_EQ(expectedPosition, actualPosition);
    }
}

TEST(BufferedStreamTest, RefusesWritesAndPassesSourceFailuresOn)
{
    auto readable = BufferedStream::create(makeComObject<MemoryStream>(pattern(10)));
    ASSERT_THAT(readable, IsOk());
    ULONG count = 1;
    EXPECT_HR(STG_E_ACCESSDENIED, (*readable)->Write("x", 1, &count));
    EXPECT_EQ(0u, count);
    EXPECT_HR(STG_E_ACCESSDENIED, (*readable)->SetSize(0));

    EXPECT_THAT(BufferedStream::create(makeComObject<FailingStream>(0, STG_E_INVALIDFUNCTION)),
                FailsWith(STG_E_INVALIDFUNCTION));

    // Twenty good bytes: the first read buffers them all, the second takes the rest and then meets the failure.
    auto failing = BufferedStream::create(makeComObject<FailingStream>(20, S_OK));
    ASSERT_THAT(failing, IsOk());
    std::uint8_t bytes[16] = {};
    ASSERT_HR(S_OK, (*failing)->Read(bytes, 8, &count));
    EXPECT_EQ(8u, count);
    EXPECT_HR(STG_E_READFAULT, (*failing)->Read(bytes, 16, &count));
    EXPECT_EQ(12u, count);
}

} // namespace
