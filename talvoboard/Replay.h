#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/com/HResult.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

namespace platform::kernel {
class Thread;
}
namespace platform::time {
class Clock;
}
namespace platform::ui {
class MessageWindow;
}

namespace talvoboard {

/// The window message that paces a replay. It carries no parameters, so queued ones coalesce into one.
inline constexpr UINT kReplayMessage = 0x7FFF;

enum class ReplayEvent {
    Started,
    PositionChanged,
    Paused,
    Ended,
};

/// What a replay needs from the control that shows it: its display switches, drawing on the window's surface and
/// the control's events. Trace indexes are those of the replay aiming's trace. Called on the owner thread; a handler
/// of raise() may call back into the Replay.
class ReplayView {
public:
    virtual bool updatesEnabled() const = 0;
    virtual bool displaysReplayMark() const = 0;
    /// Seconds of the emphasised newest part of the trace.
    virtual float headingLength() const = 0;

    /// Repaints the whole control, or remembers it while updates are off.
    virtual void refresh() = 0;
    virtual void drawCaption() = 0;
    virtual void invalidateCaption() = 0;
    /// The replay breaches up to the replay position, filled, then the trace from..to in the interval colours.
    virtual void drawBreachesAndTrace(LONG from, LONG to) = 0;
    /// The trace from..to in the interval colours.
    virtual void drawTrace(LONG from, LONG to) = 0;
    /// The trace from..to in the heading colour.
    virtual void drawHeading(LONG from, LONG to) = 0;

    virtual void raise(ReplayEvent event) = 0;

protected:
    ~ReplayView() = default;
};

/// Plays one aiming back on the control: its trace grows at the aiming's sample rate times the speed, paced by a
/// timer thread that posts kReplayMessage (at most one pending) to the replay's own message window. The position is
/// always computed from the time elapsed since a base, which is reset on start, resume, a speed change and a jump,
/// so a slow or skipped step never loses time.
/// Thread rule: owner thread only. The timer thread only waits on the clock and posts.
class Replay {
public:
    Replay(ReplayView& view, platform::time::Clock& clock);
    ~Replay();
    Replay(const Replay&) = delete;
    Replay& operator=(const Replay&) = delete;

    /// Null stops the replay. An aiming becomes the replay aiming, its first shot the replay shot, and the replay
    /// starts at the trace's first sample; an aiming without shots (or without a sample rate) never starts.
    /// E_OUTOFMEMORY when no timer thread can be started.
    HRESULT setAiming(IAiming* aiming);
    /// A shot the replay aiming does not hold, or no replay aiming: E_INVALIDARG. The position stays.
    HRESULT setShot(IShot* shot);
    /// Out pointers: null is E_INVALIDARG; a null reference when none is set.
    HRESULT aiming(IAiming** out) const;
    HRESULT shot(IShot** out) const;
    IAiming* aiming() const { return m_aiming.get(); }

    /// Percent of real time, 10..300, else E_INVALIDARG.
    HRESULT setSpeed(LONG percent);
    LONG speed() const { return m_speed; }

    /// Pausing stops the timer and raises Paused; resuming restarts it from the current position and raises Started.
    /// Both only with a replay set; the control is refreshed either way when the flag changes.
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }

    /// Seconds relative to the replay shot; 0 without a replay. Null: E_POINTER.
    HRESULT positionSeconds(float* seconds) const;
    /// Jumps to seconds relative to the replay shot, kept within the trace. No event. Without a replay: S_OK.
    /// NaN: E_INVALIDARG.
    HRESULT setPositionSeconds(float seconds);
    /// Trace index of the replay mark.
    LONG position() const { return m_position; }

    /// A replay aiming with a replay shot: the replay is shown.
    bool isSet() const { return m_aiming && m_shot; }
    bool isCaptionShown() const { return m_caption; }
    bool isTimerRunning() const { return m_timer != nullptr; }

    /// Ends the replay without EndReplay: timer stopped, caption hidden, aiming and shot released.
    void stop();
    /// stop(), and the replay is no longer paused. Raises nothing.
    void clear();
    /// Stops only the timer, for when the control's window goes.
    void stopTimer();

    /// One replay step, as the replay message runs it.
    void step();

private:
    struct TraceSpan {
        LONG first = 0;
        LONG last = 0;
        LONG sampleRate = 0;
    };

    HRESULT start();
    HRESULT startTimer(LONG sampleRate);
    std::optional<TraceSpan> traceSpan() const;
    bool crossesShot(LONG from, LONG to) const;
    /// Draws the move p0 -> d forwards; `caption` is the caption state a step wants, if any.
    void drawForwards(LONG from, LONG to, const TraceSpan& span, std::optional<bool> caption);
    void rebase();

    ReplayView& m_view;
    platform::time::Clock& m_clock;
    std::unique_ptr<platform::ui::MessageWindow> m_window;
    std::unique_ptr<platform::kernel::Thread> m_timer;

    platform::com::ComPtr<IAiming> m_aiming;
    platform::com::ComPtr<IShot> m_shot;
    LONG m_position = 0;
    LONG m_basePosition = 0;
    std::chrono::milliseconds m_baseTick{0};
    LONG m_speed = 100;
    bool m_paused = false;
    bool m_caption = false;
    /// Counts starts and stops, so a step notices that an event handler ended or restarted the replay.
    std::uint64_t m_generation = 0;
};

} // namespace talvoboard
