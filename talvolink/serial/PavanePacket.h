#pragma once

#include "talvolink/DeviceRecord.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace talvolink {

inline constexpr std::size_t kPavanePacketLength = 8;
inline constexpr std::size_t k306PacketLength = 10;

/// Decodes an 8-byte Pavane packet (byte 0 carries bit 7, the others seven bits each) into x, y, level, piezo and
/// sequence of a zeroed `record`. False for a packet of another length or whose check fails. Outside calibration mode
/// a spot beyond 505 sensor units from the centre gets level 0: the sensor has lost it.
bool ParsePavanePacket(std::span<const std::uint8_t> packet, bool calibrationMode, DeviceRecord& record);

/// Decodes a 10-byte packet of model 306: the Pavane fields with a 4-bit sequence, plus trigger and pulse values.
bool Parse306Packet(std::span<const std::uint8_t> packet, bool calibrationMode, DeviceRecord& record);

} // namespace talvolink
