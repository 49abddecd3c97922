#include "talvolink/serial/PavanePacket.h"

#include <cstdlib>

namespace talvolink {
namespace {

constexpr int kCentre = 512;
constexpr int kFieldLimit = 505;

// The fields the two packet forms share: bytes 0 to 5 and the low bits of byte 6.
void decodeSpot(std::span<const std::uint8_t> p, bool calibrationMode, DeviceRecord& record)
{
    record.x = (((p[1] << 7) & 0x3FF) | (p[0] & 0x7F)) - kCentre;
    record.y = (((p[2] << 4) & 0x3FF) | ((p[1] >> 3) & 0x0F)) - kCentre;
    record.level = static_cast<std::int16_t>((((p[4] << 7) & 0x3FF) | (p[3] & 0x7F)) / 2);
    record.piezo = static_cast<std::int16_t>(((((p[5] & 0x0F) << 4) | ((p[4] >> 3) & 0x0F))) * 4);
    if (!calibrationMode && (std::abs(record.x) > kFieldLimit || std::abs(record.y) > kFieldLimit)) {
        record.level = 0;
    }
}

} // namespace

bool ParsePavanePacket(std::span<const std::uint8_t> p, bool calibrationMode, DeviceRecord& record)
{
    if (p.size() != kPavanePacketLength) {
        return false;
    }
    const std::uint8_t check = static_cast<std::uint8_t>(((p[6] >> 6) & 1) | (p[7] << 1));
    const std::uint8_t sum = static_cast<std::uint8_t>(p[0] + p[1] + p[2] + p[3] + p[4] + p[5] + (p[6] & 0xBF));
    if (check != sum) {
        return false;
    }
    decodeSpot(p, calibrationMode, record);
    record.sequence = static_cast<std::uint8_t>(((p[5] >> 4) & 7) | (p[6] << 3));
    return true;
}

bool Parse306Packet(std::span<const std::uint8_t> p, bool calibrationMode, DeviceRecord& record)
{
    if (p.size() != k306PacketLength) {
        return false;
    }
    const int sum = ((p[6] & 0xE1) + p[0] + p[1] + p[2] + p[3] + p[4] + p[5] + p[7] + p[8] + p[9]) & 0xFF;
    if ((((sum >> 4) ^ sum) & 0x0F) != ((p[6] >> 1) & 0x0F)) {
        return false;
    }
    decodeSpot(p, calibrationMode, record);
    record.sequence = static_cast<std::uint8_t>(((p[6] << 3) & 0x08) | ((p[5] >> 4) & 7));
    record.trigger = static_cast<std::int16_t>(((p[7] << 2) & 0x1FF) | ((p[6] >> 5) & 3) | ((p[8] << 9) & 0x3FF));
    record.pulse = static_cast<std::int16_t>(((p[9] << 6) & 0x3FF) | ((p[8] >> 1) & 0x3F));
    return true;
}

} // namespace talvolink
