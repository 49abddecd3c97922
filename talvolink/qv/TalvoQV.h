#pragma once

#include "talvolink/DeviceRecord.h"
#include "talvolink/qv/QVExposureControl.h"
#include "talvolink/qv/QVFrameAssembler.h"
#include "talvolink/qv/TalvoQVSettings.h"
#include "talvolink/usb/NativeEvent.h"
#include "talvolink/usb/SerialNumber.h"
#include "talvolink/usb/UsbDevice.h"

#include "platform/kernel/Mutex.h"

#include <chrono>
#include <cstdint>
#include <deque>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace platform::time {
class Clock;
}
namespace platform::ui {
class MessageWindow;
}

namespace talvolink {

/// The request that ends the start exchange: the device link reads the device state, the main program's probe its
/// second state.
enum class QVStateRequest : std::uint8_t { DeviceState = 0xD0, DeviceState2 = 0xA6 };

/// The image sensor. Its reader thread only queues packets for the hidden window; on the window's (owner) thread
/// frames are assembled, run through the exposure control, turned into device records (eventSignal) and the
/// settings are brought up to date, each request followed by a hold-off of frames.
/// Thread rule: owner thread, except OnPacket (reader thread) and the request functions (any thread).
class TalvoQV final : public UsbDevice, private QVRequestChannel {
public:
    static constexpr std::chrono::milliseconds kHoldOff{100};
    static constexpr int kMinHardware = 2;
    static constexpr int kMinFirmware = 35;
    static constexpr int kMaxProtocolMajor = 18;
    static constexpr std::size_t kFlashLength = 26;

    TalvoQV(platform::usb::UsbTransport& transport, platform::time::Clock& clock,
            QVStateRequest finalRequest = QVStateRequest::DeviceState);
    ~TalvoQV() override;

    /// A device record of each delivered frame, on the owner thread.
    NativeEvent<const DeviceRecord&> eventSignal;

    // What the start exchange learnt.
    int hardwareVersion() const { return m_hardware; }
    int firmwareVersion() const { return m_firmware; }
    int protocolMajor() const { return m_protocolMajor; }
    int protocolMinor() const { return m_protocolMinor; }
    const UsbSerialNumber& serialNumber() const { return m_serialNumber; }
    int modelCode() const { return m_model; }
    int deviceState() const { return m_deviceState; }
    double focal() const { return m_focal; }

    // The three stored choices.
    bool filterForeignShots() const { return m_filterForeignShots; }
    void setFilterForeignShots(bool on) { m_filterForeignShots = on; }
    bool ultraSensitiveTrigger() const { return m_ultraSensitiveTrigger; }
    /// Rebuilds the settings.
    void setUltraSensitiveTrigger(bool on);
    /// 1 for 50 Hz mains light, 2 for 60 Hz; other values are ignored. A new mode is stored and the settings rebuilt.
    int powerSupplyFrequencyMode() const { return m_frequencyMode; }
    void SetPowerSupplyFrequencyMode(int mode);
    /// Frames a second: twice the mains frequency.
    int frameRate() const;

    // Settings.
    const TalvoQVSettings& wantedSettings() const { return m_wanted; }
    const TalvoQVSettings& sentSettings() const { return m_sent; }
    /// Nothing when not forced and `settings` equal both the wanted and the sent ones; else they become the
    /// wanted ones and one sequence is asked of the window.
    void RequestSettings(const TalvoQVSettings& settings, bool force);
    /// Derives the settings from the target and the choices, then RequestSettings.
    void BuildSettings(bool force);
    /// The target: distance in metres, black diameter in millimetres, tracking size in metres.
    void setTarget(double distance, double diameter, double trackingSize);
    /// Runs the pending sequence now (what the window does); false when a request failed.
    bool RunSettingsSequence();
    /// A sequence failed and the device is open: the model asks again, at most every 500 ms.
    bool settingsIncomplete() const { return m_settingsIncomplete && isOpen(); }
    void HoldFrames(std::chrono::milliseconds duration);
    /// Frames off, whatever the answer.
    void ResetDevice();
    /// Millimetres on the target per sensor pixel; NaN while no pattern fits.
    double millimetresPerPixel() const { return m_millimetresPerPixel; }

    // Exposure.
    bool automaticExposure() const { return m_automaticExposure; }
    /// Gain 64 and exposure 100, pending changes dropped, then the settings are applied.
    void SetAutomaticExposure(bool on);
    /// Sends a gain or exposure change that the exposure control made; false when none waited.
    bool SendExposureChange();
    const QVExposureControl& exposureControl() const { return m_exposure; }

    // Shot threshold (piezo level of a shot).
    std::uint16_t shotThreshold() const { return m_shotThreshold; }
    /// Only at hardware revision 2 or more: stored and the settings applied; else false.
    bool SetShotThreshold(std::uint16_t threshold);

    // Tracking centre, sensor pixels.
    double centreX() const { return m_referenceX; }
    double centreY() const { return m_referenceY; }
    bool trackingRequested() const { return m_trackingRequested; }
    bool trackingTaken() const { return m_trackingTaken; }
    bool trackingDone() const { return m_trackingDone; }
    void SetTracking(bool requested);
    /// The tracking is done: the centre moves to (x, y), truncated.
    void TakeTrackingCentre(double x, double y);
    /// Moves the centre by millimetres on the target seen at `angle` (radians).
    void MoveTrackingCentre(double dx, double dy, double angle);
    /// The centre takes the current target position (positionWithFallback of the found one), the settings go out
    /// forced; always true.
    bool Reset(double foundX, double foundY);
    /// Each coordinate of the found position when it is a number, else of the position the flash block stores.
    std::pair<double, double> positionWithFallback(double foundX, double foundY) const;

    /// The last second's highest shot level.
    std::uint16_t peakLevel() const { return m_peakLevel; }
    /// The last complete frame: 8-bit grey, width x height bytes when whole.
    const std::vector<std::uint8_t>& frame() const { return m_frame; }
    int frameWidth() const { return m_frameWidth; }
    int frameHeight() const { return m_frameHeight; }

    bool Initialize() override;
    void Shutdown() override;
    /// Closes the handle and ends the reading.
    void OnReadError(platform::usb::UsbError error, bool& stop) override;
    void OnPacket(std::span<const std::uint8_t> bytes) override;
    /// Takes the queued packets and a pending settings sequence (the window's message).
    void ProcessQueue();
    /// Feeds one packet to the frame assembly (the queue's walk; public for the replay tests and the bench).
    void AssemblePacket(std::uint64_t time, std::span<const std::uint8_t> packet);

private:
    bool ExecuteRequest(VendorRequest& request) override;
    void HoldFrames() override { HoldFrames(kHoldOff); }
    void EndAssembly() override { m_assembler.endAssembly(); }

    bool identify();
    bool readFlash();
    void resetState();
    void postOnce();
    std::uint64_t now() const;
    void onFrameComplete(const QVHeader& header, std::span<const std::uint8_t> payload);
    void onFrameDelivered(const QVFrameRecord& record, std::uint64_t time);

    platform::time::Clock& m_clock;
    const QVStateRequest m_finalRequest;
    std::unique_ptr<platform::ui::MessageWindow> m_window;

    platform::kernel::Mutex m_queueLock;
    std::vector<std::uint8_t> m_queue TALVO_GUARDED_BY(m_queueLock);
    bool m_settingsPending TALVO_GUARDED_BY(m_queueLock) = false;

    QVExposureControl m_exposure;
    QVFrameAssembler m_assembler;
    TalvoQVSettings m_wanted;
    TalvoQVSettings m_sent;
    bool m_sendAll = true;
    bool m_settingsIncomplete = false;

    int m_hardware = 0;
    int m_firmware = 0;
    UsbSerialNumber m_serialNumber{};
    int m_protocolMajor = 0;
    int m_protocolMinor = 0;
    double m_focal = std::numeric_limits<double>::quiet_NaN();
    int m_geometryX = 0;
    int m_geometryY = 0;
    int m_model = 0;
    int m_deviceState = 4095;

    bool m_ultraSensitiveTrigger = false;
    bool m_filterForeignShots = true;
    int m_frequencyMode = 1;
    std::uint16_t m_triggerLevel = 100;
    bool m_automaticExposure = false;
    std::uint16_t m_shotThreshold = 40;
    bool m_choiceA = true;
    bool m_choiceB = false;

    double m_distance = 0.0;
    double m_diameter = 0.0;
    double m_trackingSize = 0.0;
    double m_referenceX = 376.0;
    double m_referenceY = 240.0;
    double m_millimetresPerPixel = std::numeric_limits<double>::quiet_NaN();
    bool m_trackingRequested = false;
    bool m_trackingTaken = false;
    bool m_trackingDone = false;

    std::vector<std::uint8_t> m_frame;
    int m_frameWidth = 0;
    int m_frameHeight = 0;
    std::deque<std::pair<std::uint64_t, std::uint16_t>> m_levels;
    std::uint16_t m_peakLevel = 0;
};

} // namespace talvolink
