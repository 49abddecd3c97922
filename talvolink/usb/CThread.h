#pragma once

#include "platform/kernel/Thread.h"

#include <memory>

namespace talvolink {

/// A worker thread with a manual-reset stop event; Run watches the event.
/// Thread rule: Start and Stop on the owning thread. A subclass's destructor must Stop, because Run is its own.
class CThread {
public:
    CThread() = default;
    virtual ~CThread() { Stop(); }
    CThread(const CThread&) = delete;
    CThread& operator=(const CThread&) = delete;

    /// False when the thread cannot be made.
    bool Start();
    /// Sets the stop event, wakes Run and waits for it without limit. Nothing when not started.
    void Stop();
    bool isRunning() const { return m_thread != nullptr; }
    bool isCurrentThread() const { return m_thread != nullptr && m_thread->isCurrentThread(); }

protected:
    virtual void Run(platform::kernel::Event& stop) = 0;
    /// Called by Stop right after the stop event was set, for a Run blocked somewhere else than on the event.
    virtual void WakeRun() {}

private:
    std::unique_ptr<platform::kernel::Thread> m_thread;
};

} // namespace talvolink
