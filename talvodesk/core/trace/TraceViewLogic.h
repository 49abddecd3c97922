#pragma once

#include "talvodesk/core/document/View.h"
#include "talvodesk/core/events/TargetEventSink.h"

#include "interfaces/talvoboard/ITarget.h"
#include "platform/com/ComPtr.h"

#include <chrono>
#include <cstdint>

namespace platform::time {
class Clock;
}

namespace talvodesk {

class BlindTone;
class COptions;

/// What the trace view's rules ask of the frame and of the view's own windows: the side panel of pulse and
/// trigger, the replay control, the timers. The Qt view implements it; tests record it. Owner thread only.
class TraceViewHost {
public:
    // The frame.
    virtual bool devicePresent() = 0;
    virtual bool matchMode() = 0;
    /// The device's PulseAvailable and TriggerControlAvailable; false without a device.
    virtual bool deviceSensors(bool& pulse, bool& trigger) = 0;

    // The view's window timers; setting a running timer restarts it.
    virtual void setTimer(int id, std::chrono::milliseconds period) = 0;
    virtual void killTimer(int id) = 0;

    // The pulse window. Setting the flags resets its values; the panes are laid out only by layoutPanes.
    virtual void setPulseFlags(bool pulse, bool trigger) = 0;
    virtual bool showsPulse() = 0;
    virtual bool showsTrigger() = 0;
    virtual void setPulse(std::uint16_t beatsPerMinute) = 0;
    virtual void setBeatPhase(int phase) = 0;
    virtual void setTriggerValue(int value) = 0;
    virtual void setTriggerScale(int value) = 0;
    /// The side panel shows exactly when the pulse window shows the pulse or the trigger.
    virtual void layoutPanes() = 0;

    // The replay control.
    /// Shows the replay control over the shot's range, or hides it for none.
    virtual void setReplayShot(IShot* shot) = 0;
    virtual void setReplayPosition(float seconds) = 0;
    /// Starts replaying the document's current shot on the control.
    virtual void startReplay() = 0;

protected:
    ~TraceViewHost() = default;
};

/// The trace view's behaviour without its windows: one large target that shows the current shot's aiming, live
/// during a practice and for any shot picked later, with an animated zoom to the shot's result, a drag that
/// corrects the live shot, the match time counter and the blind-training tone. It is the view the document
/// tells, and the handler of its control's events. Owner thread only.
class TraceViewLogic final : public CView, public TargetEventHandler {
public:
    enum Timer : int { TimerZoom = 1, TimerTimeCounter = 2, TimerBeat = 3 };

    /// `tone` may be null (no sound output).
    TraceViewLogic(TraceViewHost& host, const COptions& options, const platform::time::Clock& clock, BlindTone* tone);

    /// The control of the trace window; nothing is shown before it is set.
    void setTarget(platform::com::ComPtr<ITarget> target) { m_target = std::move(target); }
    ITarget* target() const { return m_target.get(); }

    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;
    void OnTimer(int id);

    // The control's events.
    void OnZoomChanged() override;
    void OnRightClick(float x, float y) override;
    void OnStartDrag(IAiming* aiming, IShot* shot, float x, float y) override;
    void OnEndDrag(IAiming* aiming, IShot* shot, float x, float y) override;
    void OnReplayPositionChanged() override;
    void OnEndReplay() override;

    void ShowAiming(IAiming* aiming, IShot* shot, bool zoom);
    void ShowShot(IAiming* aiming, IShot* shot, bool zoom);
    void StartSmoothZoom(float zoom);
    /// The trace target's keys: Space starts, resumes or pauses the replay, a digit zooms smoothly to that factor
    /// (0 meaning 10) and keeps it as the view's zoom. True when the key was handled.
    bool OnKey(std::uint32_t virtualKey);
    void RefreshTimeCounter();
    void ApplyTargetOptions(bool noRefresh);
    /// The options dialog changed what the kOptionsChanged* flags say: the replay speed, the trace colours
    /// (redrawn), the labels (the current aiming shown again).
    void OptionsChanged(std::uint32_t flags);
    /// The blind-training tone at (x, y) on the event's face for an aiming of that sub-target.
    void FeedTone(IEventParams* event, long subTarget, float x, float y);
    void StopTone();

    /// The full scale a replay found in its shot's trigger data.
    void setTriggerScale(int scale) { m_triggerScale = scale; }

    float storedZoom() const { return m_storedZoom; }
    float correctionX() const { return m_dx; }
    float correctionY() const { return m_dy; }
    bool animating() const { return m_animating; }
    IShot* liveShot() const { return m_liveShot.get(); }

private:
    CTalvoData* document() const { return m_pDocument; }
    bool documentValid() const;
    bool replayRuns() const;
    /// Clears the control and shows the current aiming and shot.
    void showCurrent(bool zoom);
    /// Shows the current shot, with zoom, on what the control holds.
    void showCurrentShot();
    void resetStoredZoom();
    void showLastPulse();
    void onBeatTimer();
    void stepZoom();

    // The document's hints, one handler each (the table in OnUpdate).
    void onReset(const HintPayload&);
    void onLanguage(const HintPayload&);
    void onCurrentShot(const HintPayload&);
    void onShotParameters(const HintPayload&);
    void onStartAiming(const HintPayload& payload);
    void onNewCoordinates(const HintPayload& payload);
    void onShotAdded(const HintPayload& payload);
    void onConcludeAiming(const HintPayload& payload);
    void onReplayStart(const HintPayload&);
    void onReplayEnd(const HintPayload&);
    void onReplayPause(const HintPayload& payload);
    void onPulse(const HintPayload&);
    void onPracticeStart(const HintPayload&);
    void onMatch(const HintPayload&);
    void onPracticeStop(const HintPayload&);
    void onTrigger(const HintPayload& payload);
    void onReplayRunning(const HintPayload& payload);
    void onPositionSet(const HintPayload& payload);
    void onHeartBeat(const HintPayload& payload);
    void onExpertMode(const HintPayload&);

    TraceViewHost& m_host;
    const COptions& m_options;
    const platform::time::Clock& m_clock;
    BlindTone* m_tone;
    platform::com::ComPtr<ITarget> m_target;

    platform::com::ComPtr<IShot> m_liveShot;
    float m_dx = 0;
    float m_dy = 0;
    float m_dragX = 0;
    float m_dragY = 0;
    std::uint32_t m_zoomStartTick = 0;
    float m_fromZoom = 0;
    float m_toZoom = 0;
    float m_storedZoom = 0;
    bool m_animating = false;
    DATE m_previousBeat = 0;
    DATE m_lastBeat = 0;
    std::int32_t m_triggerMax = 0;
    std::int32_t m_triggerScale = 0;
};

} // namespace talvodesk
