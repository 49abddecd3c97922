#pragma once

#include "platform/com/LittleEndian.h"

#include <bit>
#include <cstdint>
#include <vector>

// The little-endian fields of the binary settings values and of item identifiers.
namespace talvodesk::internal {

inline std::uint32_t readU32(const std::uint8_t* bytes)
{
    return platform::com::loadLittleEndian<std::uint32_t>(bytes);
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
    bytes.resize(bytes.size() + 4);
    platform::com::storeLittleEndian(bytes.data() + bytes.size() - 4, value);
}

inline void appendF32(std::vector<std::uint8_t>& bytes, float value)
{
    appendU32(bytes, std::bit_cast<std::uint32_t>(value));
}

} // namespace talvodesk::internal
