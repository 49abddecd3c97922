#pragma once

#include "platform/com/LittleEndian.h"

#include <bit>
#include <cstdint>
#include <cstring>
#include <span>

namespace talvolink::bytes {

// The sensors send little-endian values; the callers have checked the length.
inline std::uint16_t le16(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return platform::com::loadLittleEndian<std::uint16_t>(bytes.subspan(offset, 2).data());
}

inline std::uint32_t le32(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return platform::com::loadLittleEndian<std::uint32_t>(bytes.subspan(offset, 4).data());
}

inline float leFloat(std::span<const std::uint8_t> bytes, std::size_t offset)
{
    return std::bit_cast<float>(le32(bytes, offset));
}

/// Stores a value in host order, as the sample blocks hold them.
template <typename T> void put(std::span<std::uint8_t> block, std::size_t offset, T value)
{
    std::memcpy(block.data() + offset, &value, sizeof value);
}

template <typename T> T get(std::span<const std::uint8_t> block, std::size_t offset)
{
    T value;
    std::memcpy(&value, block.data() + offset, sizeof value);
    return value;
}

} // namespace talvolink::bytes
