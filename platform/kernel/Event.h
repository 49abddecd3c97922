#pragma once

#include "Mutex.h"

#include <chrono>
#include <condition_variable>

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

    /// Waits until the event is set or the timeout has passed (0 only polls). True when it was set; an auto-reset
    /// event is then unset again.
    [[nodiscard]] bool wait(std::chrono::milliseconds timeout);

private:
    const EventReset m_reset;
    Mutex m_mutex;
    std::condition_variable_any m_changed;
    bool m_set TALVO_GUARDED_BY(m_mutex) = false;
};

} // namespace platform::kernel
