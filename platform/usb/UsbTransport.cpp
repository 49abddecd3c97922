#include "platform/usb/UsbTransport.h"

#include <algorithm>

namespace platform::usb {

namespace {

char foldAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

bool samePath(std::string_view first, std::string_view second)
{
    return std::ranges::equal(first, second, [](char a, char b) { return foldAscii(a) == foldAscii(b); });
}

} // namespace platform::usb
