#include "talvodata/tests/support/Bytes.h"

#include <gtest/gtest.h>

namespace talvodata::testsupport {

using platform::com::ComPtr;
using platform::com::MemoryStream;

Bytes& Bytes::guid(const GUID& value)
{
    const auto layout = platform::com::guidToBytes(value);
    m_bytes.insert(m_bytes.end(), layout.begin(), layout.end());
    return *this;
}

Bytes& Bytes::bstr(std::u16string_view text)
{
    u32(static_cast<std::uint32_t>(text.size() * 2 + 2));
    for (char16_t c : text) {
        raw(&c, sizeof c);
    }
    return i16(0);
}

Bytes& Bytes::append(const std::vector<std::uint8_t>& more)
{
    m_bytes.insert(m_bytes.end(), more.begin(), more.end());
    return *this;
}

Bytes& Bytes::raw(const void* data, std::size_t size)
{
    const auto* first = static_cast<const std::uint8_t*>(data);
    m_bytes.insert(m_bytes.end(), first, first + size);
    return *this;
}

ComPtr<IStream> streamOf(const std::vector<std::uint8_t>& bytes)
{
    return ComPtr<IStream>(platform::com::makeComObject<MemoryStream>(bytes));
}

std::vector<std::uint8_t> savedRecord(IUnknown* object)
{
    auto stream = platform::com::makeComObject<MemoryStream>();
    ComPtr<IPersistStreamInit> persist = ComPtr<IUnknown>(object).queryInterface<IPersistStreamInit>();
    EXPECT_TRUE(persist);
    if (!persist) {
        return {};
    }
    EXPECT_EQ(S_OK, persist->Save(stream.get(), TRUE));
    return stream->bytes();
}

HRESULT loadRecord(IUnknown* object, const std::vector<std::uint8_t>& bytes)
{
    ComPtr<IPersistStreamInit> persist = ComPtr<IUnknown>(object).queryInterface<IPersistStreamInit>();
    if (!persist) {
        return E_NOINTERFACE;
    }
    return persist->Load(streamOf(bytes).get());
}

} // namespace talvodata::testsupport
