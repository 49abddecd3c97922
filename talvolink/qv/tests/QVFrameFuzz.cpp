#include "talvolink/qv/QVExposureControl.h"
#include "talvolink/qv/QVFrameAssembler.h"
#include "talvolink/qv/QVRecord.h"
#include "talvolink/qv/tests/support/QVPacketScript.h"

// libFuzzer entry (Clang builds only): packets of the image sensor, each a length byte and its bytes, through the
// frame assembly, the exposure control and the device record, as the transport runs them.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    talvolink::QVExposureControl exposure;
    std::size_t valid = 0;
    talvolink::QVFrameAssembler assembler(
        [&](const talvolink::QVHeader& header, std::span<const std::uint8_t> payload) {
            exposure.OnFrame(header[52], static_cast<std::uint16_t>(header[24] | header[25] << 8), payload);
        },
        [&](const talvolink::QVFrameRecord& frame, std::uint64_t time) {
            valid += talvolink::BuildQVRecord(frame, time, {376.0, 240.0, 2.4, true}).aimValid;
        });
    std::uint64_t time = 0;
    for (const auto packet : talvolink::testsupport::splitPackets({data, size})) {
        assembler.push(time++, packet);
    }
    return valid > size ? 1 : 0;
}
