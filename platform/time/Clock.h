#pragma once

#include "platform/com/Types.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform::time {

/// Time as the program's timed waits see it (pacing, replay, retries, time-outs), so tests can run them on virtual
/// time. Any thread.
class Clock {
public:
    virtual ~Clock() = default;

    /// Monotonic time since an arbitrary origin.
    virtual std::chrono::milliseconds steadyNow() const = 0;
    /// The local wall-clock time as an OLE date.
    virtual DATE wallNow() const = 0;

    /// One step of ClockCondition::waitUntil: with `lock` held, blocks until `condition` is notified or this clock
    /// reaches `deadline` (it may also return early). False, without blocking, when the deadline has passed.
    virtual bool waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                          std::chrono::milliseconds deadline) = 0;
};

/// The system's steady clock and the local time of day.
class SystemClock final : public Clock {
public:
    std::chrono::milliseconds steadyNow() const override;
    DATE wallNow() const override;
    bool waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                  std::chrono::milliseconds deadline) override;
};

/// A condition variable whose waits are bounded by a Clock's time. Use it as a std::condition_variable whose
/// mutex is a std::mutex: change the state under the mutex, then notify. Any thread.
class ClockCondition {
public:
    explicit ClockCondition(Clock& clock) : m_clock(clock) {}

    void notifyAll() { m_condition.notify_all(); }

    /// With `lock` held: waits until `ready()` holds or the clock reaches `deadline`; returns ready().
    template <typename Predicate>
    bool waitUntil(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds deadline, Predicate ready)
    {
        while (!ready()) {
            if (!m_clock.waitOnce(m_condition, lock, deadline)) {
                return ready();
            }
        }
        return true;
    }

    template <typename Predicate>
    bool waitFor(std::unique_lock<std::mutex>& lock, std::chrono::milliseconds timeout, Predicate ready)
    {
        return waitUntil(lock, m_clock.steadyNow() + timeout, ready);
    }

private:
    Clock& m_clock;
    std::condition_variable_any m_condition;
};

} // namespace platform::time
