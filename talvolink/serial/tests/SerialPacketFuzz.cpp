#include "talvolink/serial/BiathlonGeometry.h"
#include "talvolink/serial/BiathlonPacket.h"
#include "talvolink/serial/PacketFramer.h"
#include "talvolink/serial/PavanePacket.h"
#include "talvolink/serial/PnpParser.h"

#include <vector>

// Fuzz entry: every parser of what a serial sensor sends, over one input; tests/data/fuzz is its corpus.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::span<const std::uint8_t> input(data, size);
    talvolink::PnpRecord record{};
    (void)talvolink::ParsePnpRecord(input, record);

    talvolink::BiathlonGeometry geometry;
    std::vector<std::uint8_t> buffer(input.begin(), input.end());
    for (std::size_t length :
         {talvolink::kPavanePacketLength, talvolink::k306PacketLength, talvolink::kBiathlonPacketLength}) {
        (void)talvolink::SplitPackets(buffer, buffer.size(), length, [&](std::span<const std::uint8_t> packet) {
            talvolink::DeviceRecord decoded{};
            (void)talvolink::ParsePavanePacket(packet, false, decoded);
            (void)talvolink::Parse306Packet(packet, false, decoded);
            if (const auto biathlon = talvolink::DecodeBiathlonPacket(packet); biathlon && biathlon->checkHolds) {
                geometry.Compute(*biathlon, 30, decoded);
            }
        });
        buffer.assign(input.begin(), input.end());
    }
    return 0;
}
