#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace talvolink {

inline constexpr std::size_t kBiathlonPacketLength = 28;
inline constexpr int kBiathlonTargets = 5;

/// One light spot of the plate's five: coordinates 0..1023 around 512 and the spot's size.
struct BiathlonSpot {
    int p = 0;
    int q = 0;
    int size = 0;
};

/// The values of a Biathlon packet: fifteen 10-bit spot values, then piezo and two more, packed seven bits a byte
/// lowest bits first; the sequence in byte 26; byte 27 the complement of the sum of the others, seven bits.
struct BiathlonPacket {
    std::array<BiathlonSpot, kBiathlonTargets> spots{};
    int piezo = 0;
    int value21 = 0; ///< Record offset 21.
    int value23 = 0; ///< Record offset 23.
    std::uint8_t sequence = 0;
    bool checkHolds = false;
};

/// Nothing for a packet of another length; a packet whose check fails is decoded with checkHolds false.
std::optional<BiathlonPacket> DecodeBiathlonPacket(std::span<const std::uint8_t> packet);

} // namespace talvolink
