#include "talvodesk/core/program/ServerLockMonitor.h"

namespace talvodesk {

ServerLockMonitor::ServerLockMonitor(platform::time::Clock& clock, std::function<void()> quit)
    : m_quit(std::move(quit)), m_changed(clock)
{
}

ServerLockMonitor::~ServerLockMonitor()
{
    {
        const std::lock_guard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notifyAll();
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void ServerLockMonitor::start()
{
    m_thread = std::thread([this] { run(); });
}

long ServerLockMonitor::lock()
{
    const std::lock_guard guard(m_mutex);
    return ++m_locks;
}

long ServerLockMonitor::unlock()
{
    long count = 0;
    {
        const std::lock_guard guard(m_mutex);
        count = --m_locks;
        if (count == 0) {
            m_signalled = true;
        }
    }
    if (count == 0) {
        m_changed.notifyAll();
    }
    return count;
}

long ServerLockMonitor::lockCount() const
{
    const std::lock_guard guard(m_mutex);
    return m_locks;
}

void ServerLockMonitor::setTimes(std::chrono::milliseconds timeout, std::chrono::milliseconds pause)
{
    const std::lock_guard guard(m_mutex);
    m_timeout = timeout;
    m_pause = pause;
}

std::chrono::milliseconds ServerLockMonitor::pause() const
{
    const std::lock_guard guard(m_mutex);
    return m_pause;
}

void ServerLockMonitor::run()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_signalled && !m_stopping) {
            // Only a signal or the end of the program wakes the monitor; the deadline is merely far away.
            m_changed.waitFor(lock, std::chrono::hours(24), [this] { return m_signalled || m_stopping; });
        }
        if (m_stopping) {
            return;
        }
        // Quiet means one whole time-out without a new signal.
        do {
            m_signalled = false;
            m_changed.waitFor(lock, m_timeout, [this] { return m_signalled || m_stopping; });
        } while (m_signalled && !m_stopping);
        if (m_stopping) {
            return;
        }
        if (m_locks == 0) {
            lock.unlock();
            m_quit();
            return;
        }
    }
}

} // namespace talvodesk
