#include "talvolink/usb/UsbWirelessDovecoteTarget.h"

#include "talvolink/usb/SubBlocks.h"

#include <algorithm>

namespace talvolink {

namespace {

constexpr std::uint8_t kRequestVersion = 0x86;
constexpr std::uint8_t kRequestSerialNumber = 0x81;
constexpr std::uint8_t kRequestFlag = 0x8B;
constexpr std::uint8_t kRequestState = 0xAD;
constexpr std::uint8_t kRequestStop = 0x91;

constexpr std::size_t kHeaderLength = 2;
constexpr std::size_t kSettingsLength = 8;

} // namespace

bool UsbWirelessDovecoteTarget::Initialize()
{
    m_version = ReadFirmwareVersion(*this, kRequestVersion).value_or(FirmwareVersion{});
    if (!ReadSerialNumber(*this, kRequestSerialNumber, m_serialNumber)) {
        return false;
    }
    m_flag = ReadFlag(*this, kRequestFlag);
    if (!ReadVendor(kRequestState, 0, 0, m_state)) {
        setErrorText("Unable to read target state");
        return false;
    }
    return true;
}

void UsbWirelessDovecoteTarget::Shutdown()
{
    if (m_flag) {
        return;
    }
    (void)SendVendorCommand(kRequestStop, 0, 0); // the device is closed next either way
    std::fill_n(m_state.begin(), kSettingsLength, std::uint8_t{0});
}

void UsbWirelessDovecoteTarget::OnReadError(platform::usb::UsbError /*error*/, bool& /*stop*/)
{
    CloseHandle();
}

void UsbWirelessDovecoteTarget::OnData(std::span<const std::uint8_t> bytes)
{
    ForEachSubBlock(bytes, kHeaderLength, [this](std::uint8_t tag, std::span<const std::uint8_t> block) {
        if (tag == kDataTag) {
            eventWirelessData.raise(0, block.subspan(kHeaderLength));
        }
        return true;
    });
}

} // namespace talvolink
