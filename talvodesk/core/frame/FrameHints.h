#pragma once

#include "talvodesk/core/document/HintPayload.h"
#include "talvodesk/core/frame/CommandIds.h"
#include "talvodesk/core/frame/FrameTimers.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

#include <chrono>
#include <cstdint>
#include <string_view>

namespace talvodesk {

class COptions;

/// What the frame's hint reactions and timers ask of the rest of the frame.
class FrameActions {
public:
    virtual void refreshCommandStates() = 0;
    /// The status-bar practice display and the caption.
    virtual void refreshStatus() = 0;
    virtual void applyExpertVisibility() = 0;
    virtual void refreshPrintPreview() = 0;
    virtual void switchToView(cmd::Id view) = 0;
    virtual void playSound(std::u16string_view name) = 0;
    virtual void speakResult(IShot* shot) = 0;
    virtual void startReplay() = 0;
    /// Makes the next aiming's shot current and replays it (replay of all shots).
    virtual void replayNextShot() = 0;
    virtual void releaseOpenAiming() = 0;
    /// Adds the offsets to the device's CorrectionX and CorrectionY of sub-device 1; nothing without a device.
    virtual void addSensorCorrection(float dx, float dy) = 0;

protected:
    ~FrameActions() = default;
};

/// The frame's own flags that hints and timers set and clear.
struct FrameFlags {
    bool replayAll = false;
    bool autoReplayPending = false;
    bool oneSecondAfterShot = false;
    /// An aiming of the device is open (held from its start until it is concluded).
    bool aimingOpen = false;
    platform::com::ComPtr<IShot> shotToSpeak;
};

/// The frame as a view of its own document: its reaction to each update hint and to the expiry of its timers.
/// Owner thread only.
class FrameHintReactions {
public:
    FrameHintReactions(FrameTimers& timers, const COptions& options, FrameActions& actions)
        : m_timers(timers), m_options(options), m_actions(actions)
    {
    }

    /// One hint with its payload, as the document delivers it.
    void onUpdate(std::uint32_t hint, const HintPayload& payload);
    /// One timer that fell due; `now` is the clock's time (the 500 ms mark of timer 1 moves with it).
    void onTimer(int id, std::chrono::milliseconds now);

    FrameFlags flags;

private:
    void startAutoReplay();

    FrameTimers& m_timers;
    const COptions& m_options;
    FrameActions& m_actions;
    std::chrono::milliseconds m_lastStatusMark{0};
};

} // namespace talvodesk
