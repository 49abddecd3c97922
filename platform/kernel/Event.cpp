#include "Event.h"

#include <algorithm>

namespace platform::kernel {

void Event::set()
{
    LockGuard guard(m_mutex);
    m_set = true;
    if (m_reset == EventReset::Auto) {
        m_changed.notify_one();
    } else {
        m_changed.notify_all();
    }
}

void Event::reset()
{
    LockGuard guard(m_mutex);
    m_set = false;
}

bool Event::wait(std::chrono::milliseconds timeout)
{
    // A steady deadline: a change of the wall clock neither shortens nor stretches the wait.
    const auto deadline = std::chrono::steady_clock::now() + std::max(timeout, std::chrono::milliseconds(0));
    LockGuard guard(m_mutex);
    while (!m_set) {
        if (m_changed.wait_until(m_mutex, deadline) == std::cv_status::timeout) {
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

} // namespace platform::kernel
