#include "talvolink/qv/tests/support/QVPacketScript.h"

#include <algorithm>

namespace talvolink::testsupport {

std::vector<std::span<const std::uint8_t>> splitPackets(std::span<const std::uint8_t> bytes)
{
    std::vector<std::span<const std::uint8_t>> packets;
    while (!bytes.empty()) {
        const std::size_t length = std::min<std::size_t>(bytes[0], bytes.size() - 1);
        packets.push_back(bytes.subspan(1, length));
        bytes = bytes.subspan(1 + length);
    }
    return packets;
}

} // namespace talvolink::testsupport
