#include "talvolink/usb/DeviceRequests.h"

#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/UsbDevice.h"

#include <array>

namespace talvolink {

std::optional<FirmwareVersion> ReadFirmwareVersion(UsbDevice& device, std::uint8_t request)
{
    std::array<std::uint8_t, 4> version{};
    if (!device.ReadVendor(request, 0, 0, version)) {
        return std::nullopt;
    }
    const std::uint32_t word = bytes::le32(version, 0);
    return FirmwareVersion{static_cast<std::uint16_t>(word >> 16), static_cast<std::uint16_t>(word & 0xFFFF)};
}

bool ReadSerialNumber(UsbDevice& device, std::uint8_t request, UsbSerialNumber& serial)
{
    if (device.ReadVendor(request, 0, 0, serial)) {
        return true;
    }
    device.setErrorText("unable to retrieve serial number");
    return false;
}

bool ReadFlag(UsbDevice& device, std::uint8_t request)
{
    std::array<std::uint8_t, 1> flag{};
    return !device.ReadVendor(request, 0, 0, flag) || flag[0] == 1;
}

} // namespace talvolink
