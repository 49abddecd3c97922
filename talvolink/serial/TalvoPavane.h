#pragma once

#include "talvolink/AimingStateMachine.h"
#include "talvolink/serial/SerialReader.h"

#include <atomic>
#include <cstdint>

namespace talvolink {

/// The Pavane optical sensor on a serial port (model 300), and the base of its family: 8-byte packets, 19200 baud
/// until SetupPort switches to the speed of the sample rate, the serial aiming state machine.
/// Thread rule: owner (control's) thread, except ParsePacket, which the reader thread calls.
class CTalvoPavane : public AimingStateMachine {
public:
    CTalvoPavane(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port);
    ~CTalvoPavane() override;

    int PacketLength() override;
    std::uint32_t BaudRate() override;
    platform::serial::StopBits StopBits() override;
    int SequenceModulus() override;
    bool ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record) override;
    /// Rate command at the current speed, the port to the rate's speed, then the sample period.
    void SetupPort() override;
    /// Range command from the event's target size and distance; sets the range divisor.
    void ApplyEventTarget() override;
    bool Start() override;
    void Stop() override;
    void PutCalibrationMode() override;

protected:
    /// The rate code of command 2 and the speed it switches the sensor to.
    struct PortRate {
        std::uint8_t code;
        std::uint32_t baud;
    };
    virtual PortRate RateFor(LONG sampleRate);
    /// Whether the spots outside the sensor's field keep their level (calibration mode of sub-device 1).
    bool calibrating() const { return m_calibrationMode.load(); }

    bool StartReader() override;
    bool IdentifyAgain() override;

private:
    SerialReader m_reader;
    std::atomic<bool> m_calibrationMode; // Read by the reader thread.
};

} // namespace talvolink
