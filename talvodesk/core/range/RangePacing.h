#pragma once

#include "platform/kernel/Mutex.h"
#include "platform/kernel/OwnerThread.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>

namespace platform::kernel {
class Event;
class Thread;
} // namespace platform::kernel

namespace platform::time {
class Clock;
}

namespace talvodesk {

/// Paces the range-command sequence: a worker asks the frame for one step every period, but never while a step is
/// still pending, so a busy frame thread receives one step afterwards instead of a backlog.
/// Thread rule: owner thread (the frame's); the step poster runs on the worker.
class RangePacing {
public:
    /// Posts one step message to the frame's thread; false when it could not be posted.
    using StepPoster = std::function<bool()>;

    RangePacing(platform::time::Clock& clock, StepPoster postStep);
    /// Stops a running pacing.
    ~RangePacing();
    RangePacing(const RangePacing&) = delete;
    RangePacing& operator=(const RangePacing&) = delete;

    /// Starts the worker, armed. False when it already runs (the running one is left alone) or cannot start.
    bool StartRangePacing(std::chrono::milliseconds timeout);
    /// Disarms and waits for the worker to end. False when none runs. No step is posted after it returns.
    bool StopRangePacing();

    /// The step message's handler calls this first. True when the sequence is armed and the step should run;
    /// a step that arrives after the stop finds it disarmed.
    bool takeStep();
    /// The sequence is disarmed while a step shows a modal dialog.
    void setArmed(bool armed) { m_armed = armed; }

private:
    void RangePacingThreadProc(platform::kernel::Event& stopEvent);

    platform::kernel::OwnerThread m_ownerThread;
    platform::time::Clock& m_clock;
    const StepPoster m_postStep;
    std::chrono::milliseconds m_timeout{0};
    std::atomic<bool> m_armed{false};
    platform::kernel::Mutex m_pendingMutex;
    bool m_stepPending TALVO_GUARDED_BY(m_pendingMutex) = false;
    std::unique_ptr<platform::kernel::Thread> m_thread;
};

} // namespace talvodesk
