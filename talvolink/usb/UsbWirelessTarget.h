#pragma once

#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbDevice.h"

namespace talvolink {

/// The radio receiver of the wireless targets. Its reads are sub-blocks: data of a channel (eventWirelessData) and
/// packets of the target itself (eventTarget).
/// Thread rule: as UsbDevice.
class UsbWirelessTarget final : public UsbDevice {
public:
    explicit UsbWirelessTarget(platform::usb::UsbTransport& transport);
    ~UsbWirelessTarget() override { Close(); }

    /// (channel, data)
    NativeEvent<int, std::span<const std::uint8_t>> eventWirelessData;
    NativeEvent<std::span<const std::uint8_t>> eventTarget;

    const UsbSerialNumber& serialNumber() const { return m_serialNumber; }
    bool flag() const { return m_flag; }

    bool Initialize() override;
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnData(std::span<const std::uint8_t> bytes) override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;

private:
    UsbSerialNumber m_serialNumber{};
    bool m_flag = true;
};

} // namespace talvolink
