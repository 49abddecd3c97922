#pragma once

#include <chrono>
#include <condition_variable>
#include <mutex>

namespace platform::time {
class Clock;
}

namespace platform::kernel {

enum class EventReset {
    Manual, ///< Stays set until reset(); releases every waiter.
    Auto,   ///< A successful wait resets it; one set() releases one waiter.
};

/// A kernel-style event, created unset. Stop events of worker threads are Events.
/// Thread rule: any thread (locks internally).
class Event {
public:
    explicit Event(EventReset reset) : m_reset(reset) {}
    Event(const Event&) = delete;
    Event& operator=(const Event&) = delete;

    void set();
    void reset();

    /// Waits until the event is set or the timeout has passed on `clock` (0 only polls). True when it was set; an
    /// auto-reset event is then unset again. Timed loops (pacing, replay) pass their injectable clock.
    [[nodiscard]] bool wait(std::chrono::milliseconds timeout, time::Clock& clock);
    /// The same on the system's steady clock.
    [[nodiscard]] bool wait(std::chrono::milliseconds timeout);

private:
    const EventReset m_reset;
    // A plain std::mutex, because clock-bounded waits take a std::unique_lock<std::mutex>. It guards m_set.
    std::mutex m_mutex;
    std::condition_variable_any m_changed;
    bool m_set = false;
};

} // namespace platform::kernel
