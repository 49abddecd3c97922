#pragma once

#include "talvolink/usb/DeviceRequests.h"
#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbDevice.h"

#include <array>

namespace talvolink {

/// The Dovecote trainer's wireless target. Its reads are [length][tag][data] sub-blocks; data blocks raise
/// eventWirelessData on channel 0.
/// Thread rule: as UsbDevice.
class UsbWirelessDovecoteTarget final : public UsbDevice {
public:
    static constexpr std::size_t kStateLength = 16;

    explicit UsbWirelessDovecoteTarget(platform::usb::UsbTransport& transport) : UsbDevice(transport) {}
    ~UsbWirelessDovecoteTarget() override { Close(); }

    /// (channel, data)
    NativeEvent<int, std::span<const std::uint8_t>> eventWirelessData;

    const UsbSerialNumber& serialNumber() const { return m_serialNumber; }
    FirmwareVersion version() const { return m_version; }
    bool flag() const { return m_flag; }
    const std::array<std::uint8_t, kStateLength>& state() const { return m_state; }

    bool Initialize() override;
    /// Stops the target (request 0x91) unless its flag is set, and forgets its settings.
    void Shutdown() override;
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnData(std::span<const std::uint8_t> bytes) override;

private:
    UsbSerialNumber m_serialNumber{};
    FirmwareVersion m_version;
    bool m_flag = true;
    // Its first eight bytes are the target's settings as last read or sent.
    std::array<std::uint8_t, kStateLength> m_state{};
};

} // namespace talvolink
