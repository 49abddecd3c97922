#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>

namespace talvolink {

using PacketHandler = std::function<void(std::span<const std::uint8_t> packet)>;

/// Frames the received bytes `buffer[0, fill)` into packets of `packetLength` bytes, handing each complete one to
/// `onPacket`. A byte with bit 7 set begins a packet: one arriving inside a packet drops the bytes before it. The
/// unfinished packet moves to the start of the buffer for the next round; the result is its length.
std::size_t SplitPackets(std::span<std::uint8_t> buffer, std::size_t fill, std::size_t packetLength,
                         const PacketHandler& onPacket);

} // namespace talvolink
