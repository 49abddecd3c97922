#include "talvolink/qv/tests/support/QVFrames.h"

#include "talvolink/usb/Bytes.h"

#include <algorithm>

namespace talvolink::testsupport {

std::vector<std::uint8_t> qvHeader(const QVFrameFields& fields, std::size_t payload)
{
    std::vector<std::uint8_t> header(kQVHeaderLength);
    std::span<std::uint8_t> out(header);
    out[1] = fields.kind;
    bytes::put(out, 2, static_cast<std::uint16_t>(kQVHeaderLength + payload));
    out[10] = fields.width;
    out[11] = fields.height;
    out[13] = fields.valid ? 1 : 0;
    bytes::put(out, 16, fields.x);
    bytes::put(out, 20, fields.y);
    bytes::put(out, 24, fields.exposure);
    bytes::put(out, 32, fields.level);
    bytes::put(out, 38, fields.counter);
    bytes::put(out, 42, fields.axisX);
    bytes::put(out, 44, fields.axisY);
    bytes::put(out, 46, fields.axisZ);
    out[52] = fields.gain;
    out[53] = fields.event;
    return header;
}

std::vector<std::vector<std::uint8_t>> qvFramePackets(const QVFrameFields& fields,
                                                      const std::vector<std::uint8_t>& pixels, std::size_t chunk)
{
    std::vector<std::vector<std::uint8_t>> packets{qvHeader(fields, pixels.size())};
    std::uint8_t sequence = 1;
    for (std::size_t at = 0; at < pixels.size(); at += chunk) {
        std::vector<std::uint8_t> packet{sequence++};
        const std::size_t count = std::min(chunk, pixels.size() - at);
        packet.insert(packet.end(), pixels.begin() + static_cast<std::ptrdiff_t>(at),
                      pixels.begin() + static_cast<std::ptrdiff_t>(at + count));
        packets.push_back(std::move(packet));
    }
    return packets;
}

} // namespace talvolink::testsupport
