#pragma once

#include <concepts>
#include <cstddef>
#include <cstdint>

namespace platform::com {

/// Loads an unsigned integer stored little-endian at `bytes`, which need not be aligned: the byte order of every
/// file format and record the system reads, whatever the host's.
template <std::unsigned_integral T> constexpr T loadLittleEndian(const std::uint8_t* bytes)
{
    T value = 0;
    for (std::size_t i = sizeof(T); i-- > 0;) {
        value = static_cast<T>(value << 8 | bytes[i]);
    }
    return value;
}

/// Stores `value` little-endian at `bytes`, which need not be aligned.
template <std::unsigned_integral T> constexpr void storeLittleEndian(std::uint8_t* bytes, T value)
{
    for (std::size_t i = 0; i < sizeof(T); ++i) {
        bytes[i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

} // namespace platform::com
