#pragma once

#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/UsbDevice.h"

#include "platform/com/Types.h"

#include <optional>

namespace platform::time {
class Clock;
}

namespace talvolink {

/// The pulse sensor: each packet is a heart beat, announced with its time (an OLE date) through eventHeartBeat
/// unless it follows the previous one within 200 ms.
/// Thread rule: as UsbDevice.
class UsbPulseSensor final : public UsbDevice {
public:
    UsbPulseSensor(platform::usb::UsbTransport& transport, platform::time::Clock& clock)
        : UsbDevice(transport), m_clock(clock)
    {
    }
    ~UsbPulseSensor() override { Close(); }

    NativeEvent<DATE> eventHeartBeat;

    bool flag() const { return m_flag; }

    bool Initialize() override;
    /// Closes the handle and stops reading.
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;

private:
    platform::time::Clock& m_clock;
    bool m_flag = false;
    std::optional<DATE> m_lastBeat;
};

} // namespace talvolink
