#include "talvolink/serial/PacketFramer.h"

#include <algorithm>
#include <cassert>

namespace talvolink {

std::size_t SplitPackets(std::span<std::uint8_t> buffer, std::size_t fill, std::size_t packetLength,
                         const PacketHandler& onPacket)
{
    assert(fill <= buffer.size() && packetLength > 0 && "framing past the buffer");
    std::size_t start = 0;
    for (std::size_t i = 0; i < fill; ++i) {
        if (i > start && (buffer[i] & 0x80) != 0) {
            start = i;
        }
        if (i + 1 - start == packetLength) {
            onPacket(buffer.subspan(start, packetLength));
            start = i + 1;
        }
    }
    std::copy(buffer.begin() + static_cast<std::ptrdiff_t>(start), buffer.begin() + static_cast<std::ptrdiff_t>(fill),
              buffer.begin());
    return fill - start;
}

} // namespace talvolink
