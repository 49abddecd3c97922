#include "talvolink/usb/UsbWirelessTarget.h"

#include "talvolink/usb/DeviceRequests.h"
#include "talvolink/usb/SubBlocks.h"

namespace talvolink {

namespace {

constexpr std::uint8_t kRequestSerialNumber = 0x81;
constexpr std::uint8_t kRequestFlag = 0x8B;

constexpr std::size_t kHeaderLength = 2;
// A data sub-block also carries its channel byte.
constexpr std::size_t kDataHeaderLength = 3;
constexpr std::uint8_t kChannelMask = 0x1F;

} // namespace

UsbWirelessTarget::UsbWirelessTarget(platform::usb::UsbTransport& transport) : UsbDevice(transport)
{
    setTaggedBlocks(false);
}

bool UsbWirelessTarget::Initialize()
{
    if (!ReadSerialNumber(*this, kRequestSerialNumber, m_serialNumber)) {
        return false;
    }
    m_flag = ReadFlag(*this, kRequestFlag);
    return true;
}

void UsbWirelessTarget::OnReadError(platform::usb::UsbError /*error*/, bool& /*stop*/)
{
    CloseHandle();
}

void UsbWirelessTarget::OnData(std::span<const std::uint8_t> bytes)
{
    ForEachSubBlock(bytes, kHeaderLength, [this](std::uint8_t tag, std::span<const std::uint8_t> block) {
        if (tag == kDataTag) {
            // A data block too short for its channel byte ends the read like any other short block.
            if (block.size() < kDataHeaderLength) {
                return false;
            }
            eventWirelessData.raise(block[2] & kChannelMask, block.subspan(kDataHeaderLength));
        } else if (tag == kPacketTag) {
            OnPacket(block.subspan(kHeaderLength));
        }
        return true;
    });
}

void UsbWirelessTarget::OnPacket(std::span<const std::uint8_t> bytes)
{
    eventTarget.raise(bytes);
}

} // namespace talvolink
