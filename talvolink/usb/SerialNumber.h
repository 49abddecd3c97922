#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace talvolink {

/// The eight bytes a USB device keeps as its serial number.
using UsbSerialNumber = std::array<std::uint8_t, 8>;

/// "%d-%d-%d-%d-%d-%d-%d-%d" with each byte unsigned.
std::string FormatSerialNumber(const UsbSerialNumber& serial);

/// Eight decimal numbers 1..254 joined by hyphens, 15 to 31 characters in all; anything else (signs, spaces, a
/// ninth number, trailing text) is refused.
std::optional<UsbSerialNumber> ParseSerialNumber(std::string_view text);

} // namespace talvolink
