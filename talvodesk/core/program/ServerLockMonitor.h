#pragma once

#include "platform/time/Clock.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

namespace talvodesk {

/// The server's shut-down monitor: the module's lock count, and a thread that, once the count has dropped to 0,
/// waits until no lock or unlock has happened for one whole time-out and then asks the program to quit. The frame
/// sets the time-out to 0 when it holds the last lock, so closing it ends the program at once. Any thread.
class ServerLockMonitor {
public:
    static constexpr std::chrono::milliseconds kTimeout{5000};
    static constexpr std::chrono::milliseconds kPause{1000};

    /// `quit` runs on the monitor's thread and must only post.
    ServerLockMonitor(platform::time::Clock& clock, std::function<void()> quit);
    /// Stops the thread without quitting.
    ~ServerLockMonitor();
    ServerLockMonitor(const ServerLockMonitor&) = delete;
    ServerLockMonitor& operator=(const ServerLockMonitor&) = delete;

    void start();
    long lock();
    /// Signals the monitor when the count reaches 0.
    long unlock();
    long lockCount() const;

    /// The quiet time and the pause after revoking the class objects, both 0 once the frame held the last lock.
    void setTimes(std::chrono::milliseconds timeout, std::chrono::milliseconds pause);
    std::chrono::milliseconds pause() const;

private:
    void run();

    std::function<void()> m_quit;
    mutable std::mutex m_mutex;
    platform::time::ClockCondition m_changed;
    long m_locks = 0;
    bool m_signalled = false;
    bool m_stopping = false;
    std::chrono::milliseconds m_timeout = kTimeout;
    std::chrono::milliseconds m_pause = kPause;
    std::thread m_thread;
};

} // namespace talvodesk
