#include "talvolink/usb/UsbTarget.h"

#include "talvolink/usb/DeviceRequests.h"

namespace talvolink {

namespace {

constexpr std::uint8_t kRequestVersion = 0x98;
constexpr std::uint8_t kRequestSerialNumber = 0x8B;
constexpr std::uint8_t kRequestFlag = 0x99;
// Firmware before this minor version has no flag request, and its flag is always set.
constexpr std::uint16_t kFlagFromMinor = 4;

constexpr std::uint8_t kStatePacket = 1;
constexpr std::uint8_t kConnectPacket = 2;

} // namespace

bool UsbTarget::Initialize()
{
    const FirmwareVersion version = ReadFirmwareVersion(*this, kRequestVersion).value_or(FirmwareVersion{});
    m_major = version.major;
    m_minor = version.minor;
    if (!ReadSerialNumber(*this, kRequestSerialNumber, m_serialNumber)) {
        return false;
    }
    m_flag = m_minor >= kFlagFromMinor ? ReadFlag(*this, kRequestFlag) : true;
    return true;
}

void UsbTarget::OnPacket(std::span<const std::uint8_t> bytes)
{
    if (bytes.empty()) {
        return;
    }
    if (bytes[0] == kConnectPacket) {
        eventConnect.raise(bytes);
    } else if (bytes[0] == kStatePacket) {
        eventState.raise(bytes);
    }
}

} // namespace talvolink
