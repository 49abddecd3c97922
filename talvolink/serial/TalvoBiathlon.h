#pragma once

#include "talvolink/AimingSession.h"
#include "talvolink/DeviceModel.h"
#include "talvolink/serial/BiathlonGeometry.h"
#include "talvolink/serial/SerialReader.h"

#include <atomic>

namespace talvolink {

/// The Biathlon sensor (model 307): sees the five lit targets of a biathlon plate, finds the one aimed at and
/// where, and runs its own rules on the aiming session: an aiming while a target is in sight (the aim-valid flag),
/// shots from the piezo once the reject interval after the last one has passed, the hit target lit by command.
/// 28-byte packets at 57600 baud, 100 samples a second.
/// Thread rule: owner (control's) thread, except ParsePacket, which the reader thread calls.
class CTalvoBiathlon : public CGenericTalvo {
public:
    CTalvoBiathlon(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port);
    ~CTalvoBiathlon() override;

    int PacketLength() override;
    std::uint32_t BaudRate() override;
    platform::serial::StopBits StopBits() override;
    int SequenceModulus() override;
    /// P for sub-device 1: a piezo level from it on is a shot, and above it the sensor's geometry is held.
    void PutPiezoSensitivity(LONG nSubDevice, LONG value) override;
    LONG GetPiezoSensitivity(LONG nSubDevice) override;
    LONG GetSignalLevel(LONG nSubDevice) override;
    LONG GetPiezoLevel(LONG nSubDevice) override;
    /// Always true: a packet whose check fails is a record without a valid aim.
    bool ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record) override;
    void BeginRecords(int count) override;
    void OnRecord(const DeviceRecord& record) override;
    void FlushCoordinates() override;
    /// Fixes the control's SampleRate at 100; the sensor takes no configuration.
    void SetupPort() override;
    bool Start() override;
    void Stop() override;
    void ConcludeCurrentAiming(LONG nSubDevice) override;
    void Reset(LONG nSubDevice) override;
    void AddShot(VARIANT_BOOL vbUnlimited) override;

protected:
    bool StartReader() override;
    bool IdentifyAgain() override;

private:
    void StartAiming();
    bool AddCoordinates(const DeviceRecord& record);
    void Shot(VARIANT_BOOL missed);
    void lightHitTarget(IShot& shot);
    void ConcludeAiming();
    void resetState();

    SerialReader m_reader;
    BiathlonGeometry m_geometry;               // reader thread
    std::atomic<bool> m_forgetGeometry{false}; // set by the control's thread, taken by the reader
    std::atomic<int> m_piezoThreshold{30};     // P, read by the reader thread too

    AimingSession m_session;
    bool m_armed = false;
    LONG m_armingCount = 0;
    int m_lastLevel = 0;
    int m_lastPiezo = 0;
};

} // namespace talvolink
