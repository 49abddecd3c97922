#include "platform/com/Guid.h"

#include <cstdio>

namespace platform::com {

std::array<std::uint8_t, kGuidStreamSize> guidToBytes(const GUID& guid)
{
    std::array<std::uint8_t, kGuidStreamSize> bytes{};
    for (int i = 0; i < 4; ++i) {
        bytes[i] = static_cast<std::uint8_t>(guid.Data1 >> (8 * i));
    }
    for (int i = 0; i < 2; ++i) {
        bytes[4 + i] = static_cast<std::uint8_t>(guid.Data2 >> (8 * i));
        bytes[6 + i] = static_cast<std::uint8_t>(guid.Data3 >> (8 * i));
    }
    for (std::size_t i = 0; i < 8; ++i) {
        bytes[8 + i] = guid.Data4[i];
    }
    return bytes;
}

GUID guidFromBytes(const std::uint8_t* bytes)
{
    GUID guid;
    for (int i = 3; i >= 0; --i) {
        guid.Data1 = (guid.Data1 << 8) | bytes[i];
    }
    guid.Data2 = static_cast<std::uint16_t>(bytes[4] | (bytes[5] << 8));
    guid.Data3 = static_cast<std::uint16_t>(bytes[6] | (bytes[7] << 8));
    for (std::size_t i = 0; i < 8; ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}

std::string guidToString(const GUID& guid)
{
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", guid.Data1, guid.Data2,
                  guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2], guid.Data4[3], guid.Data4[4], guid.Data4[5],
                  guid.Data4[6], guid.Data4[7]);
    return text;
}

std::optional<GUID> guidFromString(std::string_view text)
{
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') {
        text = text.substr(1, 36);
    }
    return detail::parseGuid(text);
}

} // namespace platform::com
