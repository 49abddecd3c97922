#pragma once

#include <bit>
#include <cstdint>
#include <vector>

// The little-endian fields of the binary settings values and of item identifiers.
namespace talvodesk::internal {

inline std::uint32_t readU32(const std::uint8_t* bytes)
{
    return static_cast<std::uint32_t>(bytes[0]) | static_cast<std::uint32_t>(bytes[1]) << 8 |
           static_cast<std::uint32_t>(bytes[2]) << 16 | static_cast<std::uint32_t>(bytes[3]) << 24;
}

inline std::int32_t readI32(const std::uint8_t* bytes)
{
    return static_cast<std::int32_t>(readU32(bytes));
}

inline float readF32(const std::uint8_t* bytes)
{
    return std::bit_cast<float>(readU32(bytes));
}

inline void appendU32(std::vector<std::uint8_t>& bytes, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        bytes.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

inline void appendF32(std::vector<std::uint8_t>& bytes, float value)
{
    appendU32(bytes, std::bit_cast<std::uint32_t>(value));
}

} // namespace talvodesk::internal
