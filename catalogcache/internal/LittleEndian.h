#pragma once

#include <bit>
#include <cstdint>
#include <cstring>

namespace catalogcache::internal {

// The cache is little-endian on every host; these copy through bytes, so no access is misaligned.
template <typename T> T load(const std::uint8_t* at)
{
    static_assert(std::endian::native == std::endian::little, "the cache layout assumes a little-endian host");
    T value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

template <typename T> void store(std::uint8_t* at, T value)
{
    std::memcpy(at, &value, sizeof value);
}

} // namespace catalogcache::internal
