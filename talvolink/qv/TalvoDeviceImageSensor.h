#pragma once

#include "talvolink/AimingSession.h"
#include "talvolink/ChebyshevFilter.h"
#include "talvolink/DeviceModel.h"
#include "talvolink/qv/TalvoQV.h"
#include "talvolink/usb/UsbAimingRules.h"
#include "talvolink/usb/UsbSideSensors.h"

#include <limits>
#include <string>

namespace talvolink {

/// The image sensor's device model (model 600): the sensor finds the target in its frames and reports the point
/// of aim in millimetres with a roll angle; the model smooths and rotates the points, runs the aiming on the
/// shared rules of the USB models, takes the tracking centre in calibration mode and moves it with the
/// corrections, and serves the sensor's settings and its current frame through `Value`. Trigger and pulse sensors
/// join as they do the USB model.
/// Thread rule: owner (control's) thread; the transport's reader only queues packets.
class CTalvoDeviceImageSensor final : public CGenericTalvo {
public:
    static constexpr LONG kModelCode = 600;
    static constexpr const char* kModelName = "TALVO QV SENSOR";
    static constexpr std::chrono::milliseconds kInactivity{500};
    static constexpr int kDeadRecords = 4;
    static constexpr int kCalibrationRecords = 10;

    CTalvoDeviceImageSensor(DeviceHost& host, platform::usb::UsbTransport& usb, std::string devicePath);
    ~CTalvoDeviceImageSensor() override;

    /// The transport, for the tests' look at what the sensor was sent.
    const TalvoQV& sensor() const { return m_qv; }

    bool Open() override;
    bool Close() override;
    /// 0 filter foreign shots, 1 hardware and 2 firmware version, 4 the current frame as a picture, 6 the roll
    /// angle, 7 ultra-sensitive trigger, 8 the last second's peak level, 9 the mains frequency mode.
    bool GetValue(LONG index, VARIANT* result) override;
    /// 0, 5 (automatic exposure), 7 and 9; other indexes and values that do not convert fail.
    bool PutValue(LONG index, const VARIANT& value) override;
    int SequenceModulus() override { return 0; }
    bool PulseAvailable() override { return m_side.pulseOpen(); }
    bool TriggerControlAvailable() override { return m_side.triggerOpen(); }
    bool GetTrigger(LONG nSubDevice, LONG index, LONG* value) override;
    /// The sensor's shot threshold, from hardware revision 2.
    void PutPiezoSensitivity(LONG nSubDevice, LONG value) override;
    LONG GetPiezoSensitivity(LONG nSubDevice) override;
    LONG GetSignalLevel(LONG nSubDevice) override;
    LONG GetPiezoLevel(LONG nSubDevice) override;
    /// Target found, tracking centre taken, tracking done (1 or 0), then the found target's offset from the
    /// tracking centre in millimetres, turned by the current angle.
    void GetData(std::array<float, 9>& values) override;
    void BeginRecords(int count) override;
    void OnRecord(const DeviceRecord& record) override;
    void FlushCoordinates() override;
    /// SampleRate is the frame rate of the mains frequency mode.
    void SetupPort() override;
    bool Start() override;
    void Stop() override;
    void ConcludeCurrentAiming(LONG nSubDevice) override;
    void Reset(LONG nSubDevice) override;
    void OnCorrectionChanged() override;
    void PutCalibrationMode() override;
    void AddShot(VARIANT_BOOL vbUnlimited) override;
    bool DevicePresent() override { return true; }
    /// The image sensor went away: its open aiming is concluded and Disconnected fired, once.
    void OnAppMessage(WPARAM wParam, LPARAM lParam) override;
    void OnAppMessage1(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(WPARAM wParam, LPARAM lParam) override;

private:
    void readTarget();
    void onCalibrationRecord(const DeviceRecord& record);
    bool AddCoordinates(const DeviceRecord& record);
    void StartAiming();
    void Shot(const DeviceRecord& record);
    void ConcludeAiming();
    void EndAiming();
    bool framePicture(VARIANT* result) const;
    std::chrono::milliseconds now() const;
    const SubDeviceSettings& settings() const { return host().subDevice(1); }

    static constexpr double kNone = std::numeric_limits<double>::quiet_NaN();

    TalvoQV m_qv;
    UsbSideSensors m_side;
    const std::string m_devicePath;
    AimingSession m_session;
    ShotDetection m_detection;
    ActivityClock m_activity;
    ChebyshevFilter m_angleFilter;
    ChebyshevFilter m_xFilter;
    ChebyshevFilter m_yFilter;
    double m_frozenAngle = kNone;
    double m_angle = 0.0;
    double m_lastShotAngle = 0.0;
    bool m_haveShotReference = false;
    double m_keptCorrectionX = 0.0; ///< Millimetres.
    double m_keptCorrectionY = 0.0;
    bool m_lost = false;
    bool m_targetFound = false;
    double m_foundX = kNone; ///< Sensor pixels.
    double m_foundY = kNone;
    std::int16_t m_lastPiezo = 0;
    int m_calibrationCountdown = 0;
    LONG m_tracePoints = 0;
    std::chrono::milliseconds m_lastSettingsRetry{0};
};

} // namespace talvolink
