#pragma once

#include "platform/time/Clock.h"

#include <cstddef>
#include <vector>

namespace platform::time {

/// A clock that moves only when told to, for tests: waits bounded by it end when advance() reaches their deadline.
/// Any thread.
class ManualClock final : public Clock {
public:
    /// Starts at steady time 0 and at `wall` (OLE date, local time).
    explicit ManualClock(DATE wall = 0.0);

    std::chrono::milliseconds steadyNow() const override;
    DATE wallNow() const override;
    bool waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                  std::chrono::milliseconds deadline) override;

    /// Moves steady and wall time forward and wakes the waits whose deadline that reaches.
    void advance(std::chrono::milliseconds step);
    /// Blocks until at least `count` threads wait on this clock, so a test advances only once they are waiting.
    void awaitWaiters(std::size_t count);

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_waitersChanged;
    std::chrono::milliseconds m_now{0};
    DATE m_wallStart;
    std::vector<std::condition_variable_any*> m_waiting;
};

} // namespace platform::time
