#pragma once

#include "talvolink/usb/SerialNumber.h"

#include <cstdint>
#include <optional>

namespace talvolink {

class UsbDevice;

/// A firmware version as the devices send it: one 32-bit value, the major part in its high 16 bits.
struct FirmwareVersion {
    std::uint16_t major = 0;
    std::uint16_t minor = 0;
};

/// Reads the 4-byte version with `request`; none when the request fails.
std::optional<FirmwareVersion> ReadFirmwareVersion(UsbDevice& device, std::uint8_t request);

/// Reads the 8-byte serial number with `request`; on failure the device's error text becomes
/// "unable to retrieve serial number".
bool ReadSerialNumber(UsbDevice& device, std::uint8_t request, UsbSerialNumber& serial);

/// Reads a 1-byte flag with `request`: set when the byte is 1, and when the request fails.
bool ReadFlag(UsbDevice& device, std::uint8_t request);

} // namespace talvolink
