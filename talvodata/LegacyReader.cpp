#include "talvodata/LegacyReader.h"

#include "platform/com/LittleEndian.h"

#include <algorithm>

namespace talvodata {

bool LegacyReader::skip(std::size_t count)
{
    if (count > m_bytes.size() - m_position) {
        return false;
    }
    m_position += count;
    return true;
}

bool LegacyReader::int32(std::int32_t& value)
{
    const std::size_t start = m_position;
    if (!skip(sizeof value)) {
        return false;
    }
    value = static_cast<std::int32_t>(platform::com::loadLittleEndian<std::uint32_t>(&m_bytes[start]));
    return true;
}

bool LegacyReader::int16(std::int16_t& value)
{
    const std::size_t start = m_position;
    if (!skip(sizeof value)) {
        return false;
    }
    value = static_cast<std::int16_t>(platform::com::loadLittleEndian<std::uint16_t>(&m_bytes[start]));
    return true;
}

bool LegacyReader::string(std::string& text)
{
    constexpr std::uint32_t kEmpty = 0xFFFFFFFF;
    constexpr std::size_t kKept = 499;
    std::int32_t count = 0;
    if (!int32(count)) {
        return false;
    }
    const auto length = static_cast<std::uint32_t>(count);
    if (length == kEmpty) {
        text.clear();
        return true;
    }
    const std::size_t start = m_position;
    if (!skip(length)) {
        return false;
    }
    const std::size_t kept = std::min<std::size_t>(length, kKept);
    text.assign(reinterpret_cast<const char*>(m_bytes.data() + start), kept);
    return true;
}

} // namespace talvodata
