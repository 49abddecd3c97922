#pragma once

#include "talvolink/AimingSession.h"
#include "talvolink/ChebyshevFilter.h"
#include "talvolink/DeviceModel.h"
#include "talvolink/usb/Calibration.h"
#include "talvolink/usb/EmitterRegulation.h"
#include "talvolink/usb/TargetCommands.h"
#include "talvolink/usb/UsbAimingRules.h"
#include "talvolink/usb/UsbOpticalSensor.h"
#include "talvolink/usb/UsbSideSensors.h"
#include "talvolink/usb/UsbTarget.h"
#include "talvolink/usb/UsbWirelessDovecoteTarget.h"
#include "talvolink/usb/UsbWirelessTarget.h"
#include "talvolink/usb/WirelessRecords.h"

#include "platform/usb/InterfaceClass.h"

#include <array>
#include <memory>
#include <string>

namespace talvolink {

/// The model of every USB sensor but the image sensor. In optical mode the optical sensor on the weapon sees the
/// emitters of a target controller's target, of a wireless target (through its receiver) or of a Dovecote target,
/// or no target at all; in wireless mode the wireless target or the Dovecote target is the sensor. Trigger and
/// pulse sensors join when present. Records come from the devices' reader threads; the aiming rules, the lamps and
/// the pulse rate run on the control's thread.
/// Thread rule: owner (control's) thread, except the device handlers, which run on the readers.
class CTalvoDeviceUSB final : public CGenericTalvo {
public:
    static constexpr LONG kModelCode = 500;

    /// `pathClass` is the class of the device at `path`: the wireless target's and the Dovecote target's give
    /// wireless mode, every other optical mode. `pause` waits while the targets settle (a pause on the host's
    /// clock by default).
    CTalvoDeviceUSB(DeviceHost& host, platform::usb::UsbTransport& transport, std::string path,
                    platform::usb::InterfaceClass pathClass, TargetCommands::PauseFunction pause = {});
    ~CTalvoDeviceUSB() override;

    /// "TALVO WIRELESS", "TALVO DOVECOTE WIRELESS" or "TALVO USB".
    static const char* modelName(platform::usb::InterfaceClass pathClass);

    bool Open() override;
    bool Close() override;
    bool Start() override;
    void Stop() override;
    void SetupPort() override;
    int SequenceModulus() override { return 0; }
    int PacketLength() override { return 0; }
    std::uint32_t BaudRate() override { return 0; }
    bool DevicePresent() override { return true; }

    bool SemaphoreAvailable() override;
    bool PulseAvailable() override;
    bool TriggerControlAvailable() override;
    bool LedsBrightnessAvailable() override { return m_ledsAvailable; }
    bool LampsBrightnessAvailable() override { return m_lampsAvailable; }
    LONG GetLedsBrightness() override { return m_ledsBrightness == kNotSet ? 7 : m_ledsBrightness; }
    LONG GetLampsBrightness() override { return m_lampsBrightness == kNotSet ? 7 : m_lampsBrightness; }
    void PutLedsBrightness(LONG value) override;
    void PutLampsBrightness(LONG value) override;
    void PutPiezoSensitivity(LONG nSubDevice, LONG value) override;
    LONG GetPiezoSensitivity(LONG nSubDevice) override;
    LONG GetSignalLevel(LONG nSubDevice) override;
    LONG GetPiezoLevel(LONG nSubDevice) override;
    bool PutSemaphore(enumSemaphoreMode mode) override;
    bool GetTrigger(LONG nSubDevice, LONG index, LONG* value) override;
    void GetData(std::array<float, 9>& values) override;

    void BeginRecords(int count) override;
    /// One queued record: a wireless packet becomes its samples, an optical record one sample.
    void OnRecord(const DeviceRecord& record) override;
    void FlushCoordinates() override;
    void ConcludeCurrentAiming(LONG nSubDevice) override;
    void Reset(LONG nSubDevice) override;
    void AddShot(VARIANT_BOOL vbUnlimited) override;
    void OnCorrectionChanged() override;
    void PutCalibrationMode() override;
    void PutFiringPoint() override;
    void OnAppMessage(WPARAM wParam, LPARAM lParam) override;
    void OnAppMessage1(WPARAM wParam, LPARAM lParam) override;
    void OnTimer(WPARAM wParam, LPARAM lParam) override;

    // Seen by tests.
    int targetNumber() const { return m_targetNumber; }
    int zone() const { return m_zone; }
    Currents currents() const { return m_regulator.currents(); }
    LampBytes lampBytes() const { return {m_settings[2], m_settings[3]}; }
    bool calibrated() const { return m_calibrated; }
    const UsbOpticalSensor& opticalSensor() const { return m_optical; }

private:
    static constexpr LONG kNotSet = 255;

    struct LastShot {
        bool valid = false;
        double angle = 0.0;
        double x = 0.0;
        double y = 0.0;
        Point transformed;
        double factor = 0.0;
    };

    // Opening.
    bool fail(const std::string& text);
    /// The device at the model's path: the optical sensor, or the wireless target or the Dovecote target.
    UsbDevice& pathDeviceOf();
    void onDeviceLost();
    bool openFirst(UsbDevice& device, platform::usb::InterfaceClass interfaceClass);
    void openSideSensors();
    bool setUpController();
    bool setUpWirelessTarget();
    bool setUpDovecote();
    void hookDevices();
    void unhookDevices();
    void closeDevices();
    void setSerial(std::size_t slot, const UsbSerialNumber& serial);
    /// The nominal spacing of the emitters: the signal processor's in wireless mode, the optical sensor's
    /// nominal distance in optical mode.
    void setSpacing(double spacing);
    /// The optical sensor's nominal distance by the target controller's target code.
    void applyTargetCode(std::uint8_t code);
    bool receiverOn();

    // Reader threads.
    void onOpticalSample(const OpticalSample& sample);
    void onWirelessData(std::span<const std::uint8_t> data);

    // Targets.
    bool isTarget10m() const;
    bool wirelessTargetOpen() const { return m_receiver.isOpen(); }
    bool zoneTarget() const;
    int descriptorKind() const;
    bool sendCommand(std::span<const std::uint8_t> bytes, CommandTiming timing);
    bool sendSignals(std::uint8_t s0, std::uint8_t s1);
    bool sendCurrents();
    bool switchLamp(bool hitLamp, int lamp, bool on);
    bool allLampsOff();
    bool selectZone(int zone, bool force);
    bool selectSubTarget();
    bool putBrightness(bool leds, LONG value);
    void regulateWireless(const WirelessSample& packet);

    // Calibration.
    std::string calibrationPrefix() const;
    std::string targetSerial() const;
    EmitterDevice emitterDevice() const;
    void loadCalibration();
    void saveCalibration();
    void loadBrightness();
    void saveBrightness();

    // Aiming.
    bool isBiathlon() const;
    void onSample(UsbSample sample);
    void tuneZone(UsbSample& sample);
    bool outsideForm(const UsbSample& sample) const;
    void onBiathlonSample(const UsbSample& sample);
    void onOtherSample(const UsbSample& sample);
    void StartAiming();
    bool AddCoordinates(const UsbSample& sample);
    void Shot(const UsbSample* sample);
    void ConcludeAiming();
    void EndAiming();
    void afterShot();
    std::optional<Point> transformed(const UsbSample& sample, double factor, bool biathlon);
    double distance() const;
    double lensOf(const UsbSample& sample) const;

    platform::usb::UsbTransport& m_transport;
    const std::string m_path;
    const platform::usb::InterfaceClass m_pathClass;
    const bool m_wireless;

    UsbOpticalSensor m_optical;
    UsbTarget m_controller;
    UsbSideSensors m_side;
    UsbWirelessTarget m_receiver;
    UsbWirelessDovecoteTarget m_dovecote;
    TargetCommands::PauseFunction m_pause;
    TargetCommands m_commands;
    std::vector<std::function<void()>> m_unhooks;

    bool m_lost = false;
    int m_targetNumber = 0;
    std::array<std::uint8_t, TargetCommands::kDescriptorLength> m_descriptor{};
    std::array<std::uint8_t, TargetCommands::kSettingsLength> m_settings{};
    int m_reconnectCountdown = 0;
    int m_zoneCountdown = 0;
    int m_zone = 2;

    WirelessRecords m_records;
    WirelessRecords::Result m_result;
    int m_targetLevel;
    EmitterRegulator m_regulator;
    bool m_ledsAvailable = false;
    LONG m_ledsBrightness = kNotSet;
    bool m_lampsAvailable = false;
    LONG m_lampsBrightness = kNotSet;
    std::uint16_t m_hitMask = 0xFFFF;
    std::uint16_t m_missMask = 7967;
    LampBytes m_dovecoteLamps;
    int m_lampCountdown = 0;
    int m_litMissLamp = 0;

    ChebyshevFilter m_xFilter;
    ChebyshevFilter m_yFilter;

    CalibrationOffset m_offset;
    bool m_calibrated = false;
    double m_calibrationScale = 0.0;
    double m_corrx = 0.0;
    double m_corry = 0.0;
    LastShot m_lastShot;
    Point m_lastTransformed;
    double m_lastFactor = 0.0;
    double m_softening = 0.35;

    AimingSession m_session;
    ShotDetection m_detection;
    ActivityClock m_activity;
    LONG m_recordsSince = 0;
    LONG m_pointsAfterShot = 0;
    double m_opticalLens = UsbOpticalSensor::kDefaultCalibrationScale;
    LONG m_belowCount = 0;
    LONG m_piezoSensitivity = 40;
    LONG m_lastLevel = 0;
    LONG m_lastPiezo = 0;
    int m_lastKind = -1;
    UsbSample m_current;
};

/// The model for a USB device path, by the class of the device there; null for an image sensor's path. Writes the
/// model name and code into the host's device information.
std::unique_ptr<CGenericTalvo> CreateUsbModel(const std::string& path, DeviceHost& host,
                                              platform::usb::UsbTransport& transport);

} // namespace talvolink
