#include "platform/kernel/Event.h"

#include "platform/time/Clock.h"

#include <algorithm>

namespace platform::kernel {

void Event::set()
{
    const std::lock_guard lock(m_mutex);
    m_set = true;
    if (m_reset == EventReset::Auto) {
        m_changed.notify_one();
    } else {
        m_changed.notify_all();
    }
}

void Event::reset()
{
    const std::lock_guard lock(m_mutex);
    m_set = false;
}

bool Event::wait(std::chrono::milliseconds timeout, time::Clock& clock)
{
    std::unique_lock lock(m_mutex);
    const std::chrono::milliseconds deadline = clock.steadyNow() + std::max(timeout, std::chrono::milliseconds(0));
    while (!m_set) {
        if (!clock.waitOnce(m_changed, lock, deadline)) {
            break;
        }
    }
    if (!m_set) {
        return false;
    }
    if (m_reset == EventReset::Auto) {
        m_set = false;
    }
    return true;
}

bool Event::wait(std::chrono::milliseconds timeout)
{
    time::SystemClock clock;
    return wait(timeout, clock);
}

} // namespace platform::kernel
