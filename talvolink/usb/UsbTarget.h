#pragma once

#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbDevice.h"

namespace talvolink {

/// The controller of an electronic 10 m target. Its packets announce the target's connection (first byte 2) and
/// its state (first byte 1).
/// Thread rule: as UsbDevice.
class UsbTarget final : public UsbDevice {
public:
    explicit UsbTarget(platform::usb::UsbTransport& transport) : UsbDevice(transport) {}
    ~UsbTarget() override { Close(); }

    NativeEvent<std::span<const std::uint8_t>> eventConnect;
    NativeEvent<std::span<const std::uint8_t>> eventState;

    const UsbSerialNumber& serialNumber() const { return m_serialNumber; }
    std::uint16_t minorVersion() const { return m_minor; }
    bool flag() const { return m_flag; }

    bool Initialize() override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;

private:
    UsbSerialNumber m_serialNumber{};
    std::uint16_t m_major = 0;
    std::uint16_t m_minor = 0;
    bool m_flag = true;
};

} // namespace talvolink
