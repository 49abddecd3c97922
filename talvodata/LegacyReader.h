#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace talvodata {

/// Reads the little-endian fields of an old flat practice file from memory. Every read is checked against the
/// bytes left; a false result leaves the fields it was to fill unspecified.
class LegacyReader {
public:
    explicit LegacyReader(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}

    bool skip(std::size_t count);
    bool int32(std::int32_t& value);
    bool int16(std::int16_t& value);
    /// `count` int32 fields that nobody reads.
    bool skipInt32(std::size_t count = 1) { return skip(4 * count); }
    /// A u32 byte count (0xFFFFFFFF for an empty string), then the ANSI bytes without a terminator. Only the
    /// first 499 bytes are kept.
    bool string(std::string& text);

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_position = 0;
};

} // namespace talvodata
