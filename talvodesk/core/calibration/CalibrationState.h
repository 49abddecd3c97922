#pragma once

#include "talvodesk/core/calibration/AveragedSampleBuffer.h"
#include "talvodesk/core/calibration/CalibrationDrawing.h"
#include "talvodesk/core/calibration/CalibrationRules.h"

#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/IPicture.h"

#include <functional>
#include <string>
#include <string_view>

struct IAiming;
struct IConnectionPoint;
struct IShot;

namespace platform::registry {
class Key;
}

namespace talvodesk {

class CalibrationEventSink;

/// What the calibration rules ask of the dialog's window.
class CalibrationWindow {
public:
    /// Draws the target at once.
    virtual void DrawTarget() = 0;
    /// Starts the one-shot redraw timer (40 ms), which ends in OnRedrawTimer.
    virtual void StartRedrawTimer() = 0;
    virtual void ShowSignalLevel(long level) = 0;
    /// The image sensor's trigger level bar.
    virtual void ShowTriggerLevel(long level) = 0;
    /// Ends the dialog as its Close button does (posted, so the current event finishes first).
    virtual void PostClose() = 0;

protected:
    ~CalibrationWindow() = default;
};

struct CalibrationServices {
    /// Where the options are kept; none keeps nothing.
    const platform::registry::Key* settingsRoot = nullptr;
    std::function<void(std::u16string_view name)> playSound;
    /// A strong signal was seen (the frame's last-signal time).
    std::function<void()> signalSeen;
    /// The language of the labels and the status line; none: English.
    const CTalvoAppModule* module = nullptr;
};

/// What the dialog's controls start with; a device call that fails leaves its default.
struct CalibrationControls {
    int piezoSensitivity = kPiezoMinimum;
    bool ledsAvailable = false;
    int ledsBrightness = 0;
    bool lampsAvailable = false;
    int lampsBrightness = 0;
    bool ultraSensitiveTrigger = false;
    bool filterForeignShots = false;
    /// 1 = 50 Hz, 2 = 60 Hz, 0 unknown.
    long mainsFrequency = 0;
};

/// The calibration dialog's rules: it keeps the device in calibration mode from construction until Finish, is the
/// device's sink from Subscribe until Finish, and turns device events, slider moves, option clicks and timer ticks
/// into device calls, settings and what the target shows. Owner thread only.
class CalibrationState {
public:
    /// Resets sub-device 1 and switches its calibration mode on. The device must not be null.
    CalibrationState(ITalvoDevice* device, CalibrationServices services);
    /// Finishes, when not done yet.
    ~CalibrationState();
    CalibrationState(const CalibrationState&) = delete;
    CalibrationState& operator=(const CalibrationState&) = delete;

    /// The window must outlive this object or be replaced by none first.
    void SetWindow(CalibrationWindow* window) { m_window = window; }
    /// Advises a sink of this object on the device's events; false when the device has no such source.
    bool Subscribe();
    /// Unsubscribes, switches calibration mode off and concludes the aiming in progress; once.
    void Finish();

    CalibrationVariant DrawingVariant() const { return m_variant; }
    CalibrationControls ReadControls() const;
    const CalibrationPicture& Picture() const { return m_picture; }

    // Sliders: each writes the device and gives its label.
    std::string SetPiezoSensitivity(int position);
    std::string SetLedsBrightness(int brightness);
    std::string SetLampsBrightness(int brightness);

    // Image-sensor options.
    void SetUltraSensitiveTrigger(bool on);
    void SetFilterForeignShots(bool on);
    void SetPreviewMode(bool on);
    /// 1 = 50 Hz, 2 = 60 Hz.
    void SetMainsFrequency(long mode);

    // Device events.
    void OnStartAiming();
    void OnNewCoordinates(long subDevice, IAiming* aiming);
    void OnShot(IShot* shot);
    void OnConcludeAiming();

    // Timers.
    void OnRedrawTimer();
    /// The image sensor's 100 ms poll.
    void OnPollTimer();

private:
    void writeOption(long index, bool on, std::u16string_view settingName);
    /// Stores a new aim point; true when the point, its direction or its visibility changed.
    bool moveAim(float x, float y);
    void readOpticalData();
    void scheduleRedraw();
    void draw();

    platform::com::ComPtr<ITalvoDevice> m_device;
    CalibrationServices m_services;
    CalibrationWindow* m_window = nullptr;
    long m_modelVersion = 0;
    CalibrationVariant m_variant = CalibrationVariant::Serial;
    platform::com::ComPtr<CalibrationEventSink> m_sink;
    platform::com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
    bool m_finished = false;

    CalibrationPicture m_picture;
    bool m_redrawPending = false;
    bool m_previewMode = false;
    bool m_closing = false;
    platform::com::ComPtr<IPicture> m_preview;
    DeviceData m_data;
    bool m_inside = false;
    AveragedSampleBuffer m_distances;
};

} // namespace talvodesk
