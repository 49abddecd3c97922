#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// A class, interface or library identifier. Stored inside document and event files, so values never change.
struct GUID {
    std::uint32_t Data1 = 0;
    std::uint16_t Data2 = 0;
    std::uint16_t Data3 = 0;
    std::array<std::uint8_t, 8> Data4{};

    friend constexpr bool operator==(const GUID&, const GUID&) = default;
    friend constexpr auto operator<=>(const GUID&, const GUID&) = default;
};
using IID = GUID;
using CLSID = GUID;
using REFIID = const IID&;
using REFCLSID = const CLSID&;

inline constexpr GUID GUID_NULL{};
inline constexpr GUID IID_NULL{};

namespace platform::com {

inline constexpr std::size_t kGuidStreamSize = 16;

/// The standard 16-byte stream layout: Data1, Data2, Data3 little-endian, then Data4 as is.
std::array<std::uint8_t, kGuidStreamSize> guidToBytes(const GUID& guid);
GUID guidFromBytes(const std::uint8_t* bytes);

/// "{00000000-0000-0000-0000-000000000000}" in upper case.
std::string guidToString(const GUID& guid);
/// Accepts the braced registry form, braces optional, either case.
std::optional<GUID> guidFromString(std::string_view text);

namespace detail {
constexpr int hexDigit(char c)
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

/// Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" (no braces).
constexpr std::optional<GUID> parseGuid(std::string_view text)
{
    if (text.size() != 36) {
        return std::nullopt;
    }
    std::array<std::uint8_t, 16> bytes{};
    std::size_t nibble = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool dashPosition = i == 8 || i == 13 || i == 18 || i == 23;
        if (dashPosition) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            continue;
        }
        const int digit = hexDigit(text[i]);
        if (digit < 0) {
            return std::nullopt;
        }
        bytes[nibble / 2] = static_cast<std::uint8_t>(bytes[nibble / 2] * 16 + digit);
        ++nibble;
    }
    // The text gives every field most significant byte first.
    GUID guid;
    guid.Data1 = static_cast<std::uint32_t>(bytes[0]) << 24 | static_cast<std::uint32_t>(bytes[1]) << 16 |
                 static_cast<std::uint32_t>(bytes[2]) << 8 | bytes[3];
    guid.Data2 = static_cast<std::uint16_t>(bytes[4] << 8 | bytes[5]);
    guid.Data3 = static_cast<std::uint16_t>(bytes[6] << 8 | bytes[7]);
    for (std::size_t i = 0; i < 8; ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}
} // namespace detail

/// A GUID from "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" at compile time; a malformed literal does not compile.
consteval GUID makeGuid(std::string_view text)
{
    const std::optional<GUID> guid = detail::parseGuid(text);
    if (!guid) {
        throw "malformed GUID literal";
    }
    return *guid;
}

} // namespace platform::com
