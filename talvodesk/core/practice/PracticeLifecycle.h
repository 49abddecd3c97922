#pragma once

#include "talvodesk/core/events/EventSubscription.h"
#include "talvodesk/core/practice/DeviceEventSink.h"
#include "talvodesk/core/practice/StartPracticeChoice.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace platform::registry {
class Key;
}
namespace platform::time {
class Clock;
}

namespace talvodesk {

class CTalvoData;
class PracticeRun;
class TalvoDevicePort;

/// What a practice's start and stop ask of the frame's window layer.
class PracticeFrame {
public:
    /// A new device control; null when it cannot be made.
    virtual platform::com::ComPtr<ITalvoDevice> CreateDevice() = 0;
    /// The start-practice dialog, modal over the frame; nothing when cancelled. The device is left configured.
    virtual std::optional<StartPracticeChoice> RunStartDialog(ITalvoDevice* device, const std::u16string& eventName,
                                                              const std::u16string& shooterName) = 0;
    /// The calibration dialog, modal over the frame, as the device's only sink.
    virtual void RunCalibrationDialog(ITalvoDevice* device) = 0;
    /// Hide true shows only the right pane, false both; either way the info view becomes current.
    virtual void ShowSeriesPane(bool hide) = 0;
    /// Focuses the series view when the left pane is visible.
    virtual void FocusSeriesView() = 0;
    virtual void SwitchToTraceView() = 0;
    /// The expert-mode visibility and the command states.
    virtual void RefreshExpertMode() = 0;
    virtual void RefreshCommandStates() = 0;
    /// Posts the Adjust Optical Sensor command to the frame, to run after the current one.
    virtual void PostCalibration() = 0;
    virtual void ClearReplayAll() = 0;
    virtual void ClearAutoReplay() = 0;
    /// Drops the open aiming and the shot awaiting its spoken result.
    virtual void ReleaseOpenAiming() = 0;
    /// The range-command sequence from its first step: state 1, counter 0, no wait begun, no Continue.
    virtual void ResetRangeSequence() = 0;
    virtual void StartRangePacing(std::chrono::milliseconds period) = 0;
    /// False when no pacing ran.
    virtual bool StopRangePacing() = 0;

protected:
    ~PracticeFrame() = default;
};

/// The F coefficient an event starts with when none is stored for the shooter: by short name, then by the
/// "_three_positions" mark, then by the "gun" named value; 15 for any other event and without an event.
long DefaultFCoefficient(IEventParams* event);
/// The biathlon's sub-target from the chosen position: 2 prone, 1 standing. No position counts as standing, so
/// the sub-target is always one the plate has.
long BiathlonSubTarget(long position);

/// A practice's start and stop, and the calibration command over it: creates and holds the device control for
/// exactly the practice's length, makes the new document, subscribes the frame's sink, and arms the pacing of the
/// range commands or asks for calibration. Owner thread only (the frame's).
class PracticeLifecycle {
public:
    struct Services {
        CTalvoData& data;
        PracticeRun& run;
        PracticeFrame& frame;
        const platform::time::Clock& clock;
        /// Where the F coefficients are kept; none keeps none.
        const platform::registry::Key* settingsRoot = nullptr;
    };

    static constexpr std::chrono::milliseconds kPacingPeriod{10};
    /// The ModelVersion of the image sensor, and the lowest one that may ask for calibration.
    static constexpr long kImageSensorModel = 600;
    static constexpr long kCalibratingModel = 500;

    explicit PracticeLifecycle(Services services);
    ~PracticeLifecycle();
    PracticeLifecycle(const PracticeLifecycle&) = delete;
    PracticeLifecycle& operator=(const PracticeLifecycle&) = delete;

    /// True when a practice runs afterwards; false, with nothing changed, when one already runs. Either name may
    /// be empty.
    bool OnStartPractice(const std::u16string& eventName, const std::u16string& shooterName);
    /// Does nothing but clear the replay flags without a device.
    void OnStopPractice();
    /// Does nothing without a device.
    void OnCalibration();

    bool HasDevice() const { return static_cast<bool>(m_device); }
    ITalvoDevice* Device() const { return m_device.get(); }
    /// The device's ModelVersion; 0 without a device.
    long ModelVersion() const;
    /// -1 none, else the biathlon's sub-target.
    long SubTarget() const { return m_subTarget; }
    /// The biathlon's position commands.
    void SetSubTarget(long subTarget) { m_subTarget = subTarget; }

private:
    /// Steps 5 to 9 of the start, after the dialog; false when the practice does not run.
    bool BeginPractice(const std::optional<StartPracticeChoice>& choice, bool documentWasOpen);
    void ArmPacingOrCalibration();
    void StoreFCoefficient();
    void Subscribe();
    /// Disconnects and drops the device after a start that failed.
    void AbandonDevice();

    Services m_services;
    platform::com::ComPtr<DeviceEventSink> m_sink;
    platform::com::ComPtr<ITalvoDevice> m_device;
    std::unique_ptr<TalvoDevicePort> m_port;
    EventSubscription m_subscription;
    long m_subTarget = -1;
};

} // namespace talvodesk
