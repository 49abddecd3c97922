#include "talvolink/usb/UsbPulseSensor.h"

#include "talvolink/usb/DeviceRequests.h"

#include "platform/time/Clock.h"

namespace talvolink {

namespace {

constexpr std::uint8_t kRequestVersion = 0x85;
constexpr std::uint8_t kRequestFlag = 0x91;
// Firmware from this minor version on has the flag request; older firmware's flag is clear.
constexpr std::uint16_t kFlagFromMinor = 2;
// Beats closer than this are echoes of the same beat. In days, as OLE dates count.
constexpr double kMinBeatSpacing = 0.2 / 86400.0;

} // namespace

bool UsbPulseSensor::Initialize()
{
    const FirmwareVersion version = ReadFirmwareVersion(*this, kRequestVersion).value_or(FirmwareVersion{});
    m_flag = version.minor >= kFlagFromMinor ? ReadFlag(*this, kRequestFlag) : false;
    m_lastBeat.reset();
    return true;
}

void UsbPulseSensor::OnReadError(platform::usb::UsbError /*error*/, bool& stop)
{
    CloseHandle();
    stop = true;
}

void UsbPulseSensor::OnPacket(std::span<const std::uint8_t> /*bytes*/)
{
    const DATE now = m_clock.wallNow();
    if (m_lastBeat && now - *m_lastBeat >= kMinBeatSpacing) {
        eventHeartBeat.raise(now);
    }
    m_lastBeat = now;
}

} // namespace talvolink
