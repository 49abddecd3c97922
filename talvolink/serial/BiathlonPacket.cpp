#include "talvolink/serial/BiathlonPacket.h"

namespace talvolink {
namespace {

constexpr int kBitsPerByte = 7;
constexpr int kBitsPerValue = 10;

// Value `index` of the 7-bit stream: bit i of the stream is bit i % 7 of byte i / 7.
int streamValue(std::span<const std::uint8_t> packet, int index)
{
    int value = 0;
    for (int bit = 0; bit < kBitsPerValue; ++bit) {
        const int position = index * kBitsPerValue + bit;
        value |= ((packet[static_cast<std::size_t>(position / kBitsPerByte)] >> (position % kBitsPerByte)) & 1) << bit;
    }
    return value;
}

} // namespace

std::optional<BiathlonPacket> DecodeBiathlonPacket(std::span<const std::uint8_t> packet)
{
    if (packet.size() != kBiathlonPacketLength) {
        return std::nullopt;
    }
    BiathlonPacket decoded;
    for (int k = 0; k < kBiathlonTargets; ++k) {
        BiathlonSpot& spot = decoded.spots[static_cast<std::size_t>(k)];
        spot.p = streamValue(packet, 3 * k);
        spot.q = streamValue(packet, 3 * k + 1);
        spot.size = streamValue(packet, 3 * k + 2);
    }
    decoded.piezo = streamValue(packet, 15);
    decoded.value21 = streamValue(packet, 16);
    decoded.value23 = streamValue(packet, 17);
    decoded.sequence = static_cast<std::uint8_t>((packet[26] >> 2) & 0x1F);
    unsigned sum = 0;
    for (std::size_t i = 0; i + 1 < kBiathlonPacketLength; ++i) {
        sum += packet[i];
    }
    decoded.checkHolds = (~sum & 0x7F) == (packet[27] & 0x7Fu);
    return decoded;
}

} // namespace talvolink
