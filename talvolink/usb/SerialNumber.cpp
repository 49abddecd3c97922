#include "talvolink/usb/SerialNumber.h"

#include <charconv>

namespace talvolink {

namespace {

constexpr std::size_t kMinLength = 15;
constexpr std::size_t kMaxLength = 31;
// 0 and 255 are what erased or unset serial bytes read as.
constexpr int kMinByte = 1;
constexpr int kMaxByte = 254;

} // namespace

std::string FormatSerialNumber(const UsbSerialNumber& serial)
{
    std::string text;
    for (std::size_t i = 0; i < serial.size(); ++i) {
        if (i > 0) {
            text += '-';
        }
        text += std::to_string(static_cast<unsigned>(serial[i]));
    }
    return text;
}

std::optional<UsbSerialNumber> ParseSerialNumber(std::string_view text)
{
    if (text.size() < kMinLength || text.size() > kMaxLength) {
        return std::nullopt;
    }
    UsbSerialNumber serial{};
    const char* position = text.data();
    const char* const end = text.data() + text.size();
    for (std::size_t i = 0; i < serial.size(); ++i) {
        if (i > 0) {
            if (position == end || *position != '-') {
                return std::nullopt;
            }
            ++position;
        }
        int value = 0;
        const auto [next, error] = std::from_chars(position, end, value);
        if (error != std::errc{} || next == position || *position == '-' || value < kMinByte || value > kMaxByte) {
            return std::nullopt;
        }
        serial[i] = static_cast<std::uint8_t>(value);
        position = next;
    }
    if (position != end) {
        return std::nullopt;
    }
    return serial;
}

} // namespace talvolink
