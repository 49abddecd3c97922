#pragma once

#include "talvolink/serial/PulseDetector.h"
#include "talvolink/serial/TalvoPavane_s.h"

#include <vector>

namespace talvolink {

/// Model 306: the Pavane S with a pulse sensor (heart beats and pulse rate) and a trigger sensor, whose values go
/// out as Trigger events per batch and into the trace's "_trigger" channel. 10-byte packets, 38400 baud.
/// Thread rule: as CTalvoPavane.
class CTalvo306 : public CTalvoPavane_s {
public:
    CTalvo306(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port);
    ~CTalvo306() override;

    int PacketLength() override;
    std::uint32_t BaudRate() override;
    int SequenceModulus() override;
    bool PulseAvailable() override;
    bool TriggerControlAvailable() override;
    bool ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record) override;
    void ProcessRecords(std::span<const DeviceRecord> records) override;
    void OnRecord(const DeviceRecord& record) override;
    /// Announces the trigger values collected since the last flush.
    void FlushCoordinates() override;
    /// The index-th trigger value of the batch being announced; false outside it.
    bool GetTrigger(LONG nSubDevice, LONG index, LONG* value) override;

protected:
    PortRate RateFor(LONG sampleRate) override;
    void StartAiming() override;
    bool AddCoordinates(const DeviceRecord& record) override;

private:
    PulseDetector m_pulse;
    std::vector<LONG> m_triggers; // sized to the batch being processed
    std::size_t m_triggerCount = 0;
    LONG m_triggerChannel = 0;
};

} // namespace talvolink
