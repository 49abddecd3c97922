#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

namespace catalogcache::testsupport {

/// Little-endian bytes laid down field by field, to write the expected cache layout out by hand.
class CacheBytes {
public:
    template <typename T> CacheBytes& field(T value)
    {
        const auto at = m_bytes.size();
        m_bytes.resize(at + sizeof value);
        std::memcpy(m_bytes.data() + at, &value, sizeof value);
        return *this;
    }
    CacheBytes& text(std::u16string_view text)
    {
        for (const char16_t unit : text) {
            field(static_cast<std::uint16_t>(unit));
        }
        return *this;
    }
    CacheBytes& zeros(std::size_t count)
    {
        m_bytes.resize(m_bytes.size() + count);
        return *this;
    }
    const std::vector<std::uint8_t>& bytes() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
};

} // namespace catalogcache::testsupport
