#pragma once

#include "talvodesk/core/trace/TraceViewLogic.h"

#include "platform/com/ComPtr.h"

#include <QTimer>
#include <QWidget>

#include <array>
#include <memory>

class QSplitter;

namespace platform::time {
class Clock;
}

namespace talvodesk {

class BlindTone;
class CMainFrameBase;
class COptions;
class CPulseWindow;
class CTalvoData;
class CReplayControlWindow;
class CTraceWindow;
class TargetEventSink;

/// The main pane's "Trace" page: one large target beside the pulse and trigger panel, with the replay control
/// over its top-left corner. Its behaviour is TraceViewLogic's; this window lays the panes out, runs the timers and
/// sinks the control's events. Main thread only.
class CTraceView final : public QWidget, private TraceViewHost {
public:
    struct Services {
        /// The document whose views list this view joins (the frame adds it).
        CTalvoData& document;
        const COptions& options;
        const platform::time::Clock& clock;
        /// The frame; null in tests without one (no device, sighting mode).
        CMainFrameBase* frame = nullptr;
        /// Null without a sound output.
        BlindTone* tone = nullptr;
    };

    CTraceView(Services services, QWidget* parent = nullptr);
    ~CTraceView() override;

    /// What the document tells: add this to its views.
    TraceViewLogic& logic() { return m_logic; }
    /// The trace window's control; null when it could not be made.
    ITarget* target() const;
    QWidget* targetWidget() const;
    CPulseWindow* pulseWindow() const { return m_pulse; }
    CReplayControlWindow* replayControl() const { return m_replay; }

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    // TraceViewHost
    bool devicePresent() override;
    bool matchMode() override;
    bool deviceSensors(bool& pulse, bool& trigger) override;
    void setTimer(int id, std::chrono::milliseconds period) override;
    void killTimer(int id) override;
    void setPulseFlags(bool pulse, bool trigger) override;
    bool showsPulse() override;
    bool showsTrigger() override;
    void setPulse(std::uint16_t beatsPerMinute) override;
    void setBeatPhase(int phase) override;
    void setTriggerValue(int value) override;
    void setTriggerScale(int value) override;
    void layoutPanes() override;
    void setReplayShot(IShot* shot) override;
    void setReplayPosition(float seconds) override;
    void startReplay() override;

    Services m_services;
    TraceViewLogic m_logic;
    QSplitter* m_splitter = nullptr;
    std::unique_ptr<CTraceWindow> m_traceWindow;
    CPulseWindow* m_pulse = nullptr;
    CReplayControlWindow* m_replay = nullptr;
    platform::com::ComPtr<TargetEventSink> m_sink;
    /// Timers 1 to 3.
    std::array<QTimer, 3> m_timers;
};

} // namespace talvodesk
