#pragma once

#include "talvolink/AimingSession.h"
#include "talvolink/DeviceModel.h"

namespace talvolink {

/// The aiming rules of the serial optical sensors (the Pavane family), run on an aiming session of sub-device 1:
/// starts an aiming when the signal rises above its threshold, adds trace points, adds a shot when the piezo fires,
/// concludes the aiming after MaxTimeAfterShot or when the signal falls, and adapts the signal threshold to good shots.
/// Derived models decode packets, configure the sensor and set the range divisor in ApplyEventTarget.
/// Thread rule: owner (control's) thread.
class AimingStateMachine : public CGenericTalvo {
public:
    /// N (the records after a shot before the next may count) is SampleRate / 4 of this moment.
    AimingStateMachine(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port);
    ~AimingStateMachine() override;

    void PutPiezoSensitivity(LONG nSubDevice, LONG value) override;
    LONG GetPiezoSensitivity(LONG nSubDevice) override;
    LONG GetSignalLevel(LONG nSubDevice) override;
    LONG GetPiezoLevel(LONG nSubDevice) override;
    void BeginRecords(int count) override;
    void OnRecord(const DeviceRecord& record) override;
    void FlushCoordinates() override;
    void ConcludeCurrentAiming(LONG nSubDevice) override;
    /// Concludes the aiming in progress and restarts detection with the signal threshold 40.
    void Reset(LONG nSubDevice) override;
    /// A shot now, as if the piezo had fired (no threshold adaptation); nothing without an open aiming.
    void AddShot(VARIANT_BOOL vbUnlimited) override;

    /// The signal threshold L.
    int signalThreshold() const { return m_signalThreshold; }

protected:
    virtual void EndAiming();
    virtual void StartAiming();
    /// False when the record concluded the aiming instead of adding a point.
    virtual bool AddCoordinates(const DeviceRecord& record);
    virtual void Shot(VARIANT_BOOL missed);
    virtual void ConcludeAiming();

    bool isAimingOpen() const { return m_session.isOpen(); }
    /// The open aiming and its trace; null while idle.
    IAiming* aiming() const { return m_session.aiming(); }
    IAimingTrace* trace() const { return m_session.trace(); }
    /// D: sensor units to hundredths of a millimetre at the level's scale; 0 until ApplyEventTarget sets it.
    void setRangeDivisor(int divisor) { m_rangeDivisor = divisor; }

private:
    void addShotToAiming(VARIANT_BOOL missed);
    void adaptSignalThreshold();
    bool scorePoint(float x, float y, float* score) const;

    AimingSession m_session;
    int m_signalThreshold = 40; // L
    int m_piezoThreshold = 30;  // P
    int m_rejectLength = 0;     // N
    bool m_shotArmed = false;
    int m_belowCount = 0;
    int m_armingCount = 0;
    int m_levelBeforeShot = 0;
    float m_previousU = 0.0F;
    float m_previousV = 0.0F;
    bool m_havePrevious = false;
    int m_rangeDivisor = 0; // D
    int m_lastLevel = 0;
    int m_lastPiezo = 0;
};

} // namespace talvolink
