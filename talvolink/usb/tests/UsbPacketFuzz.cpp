#include "talvolink/usb/tests/support/UsbDecoders.h"

// libFuzzer entry (Clang builds only): every decoder of what a USB device reads, over one input.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static talvolink::testsupport::UsbDecoders decoders;
    decoders.feed(std::span<const std::uint8_t>(data, size));
    return 0;
}
