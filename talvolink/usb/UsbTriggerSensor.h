#pragma once

#include "talvolink/usb/UsbDevice.h"

#include "talvolink/ChebyshevFilter.h"

#include <vector>

namespace talvolink {

/// The trigger-pressure sensor: each packet brings one reading, queued under the request lock for the model.
/// Thread rule: as UsbDevice; the queue and the filter under the request lock.
class UsbTriggerSensor final : public UsbDevice {
public:
    explicit UsbTriggerSensor(platform::usb::UsbTransport& transport) : UsbDevice(transport) {}
    ~UsbTriggerSensor() override { Close(); }

    /// Runs the readings queued since the last call through the filter and answers its output (the last one when
    /// nothing new came, 0 before the first reading).
    double CurrentValue();

    bool Initialize() override;
    /// Closes the handle and stops reading.
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;

private:
    ChebyshevFilter m_filter;
    std::vector<double> m_values;
};

} // namespace talvolink
