#include "platform/time/ManualClock.h"

#include "platform/time/OleDate.h"

#include <algorithm>
#include <cassert>

namespace platform::time {
namespace {

/// Releases the caller's lock and the clock's together while a waiter sleeps. The clock's mutex is released only
/// inside the condition's wait, so an advance() cannot slip between the deadline check and the sleep.
class BothLocks {
public:
    BothLocks(std::unique_lock<std::mutex>& outer, std::unique_lock<std::mutex>& clock) : m_outer(outer), m_clock(clock)
    {
    }
    void lock()
    {
        // Same order as on entry: the caller's mutex first, then the clock's.
        m_outer.lock();
        m_clock.lock();
    }
    void unlock()
    {
        m_clock.unlock();
        m_outer.unlock();
    }

private:
    std::unique_lock<std::mutex>& m_outer;
    std::unique_lock<std::mutex>& m_clock;
};

} // namespace

ManualClock::ManualClock(DATE wall) : m_wallStart(wall) {}

std::chrono::milliseconds ManualClock::steadyNow() const
{
    const std::lock_guard lock(m_mutex);
    return m_now;
}

DATE ManualClock::wallNow() const
{
    std::chrono::milliseconds now;
    {
        const std::lock_guard lock(m_mutex);
        now = m_now;
    }
    const Result<DATE> wall = addMilliseconds(m_wallStart, now.count());
    assert(wall && "a manual clock stays within the OLE date range");
    return wall ? *wall : m_wallStart;
}

bool ManualClock::waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                           std::chrono::milliseconds deadline)
{
    std::unique_lock clockLock(m_mutex);
    if (m_now >= deadline) {
        return false;
    }
    m_waiting.push_back(&condition);
    m_waitersChanged.notify_all();
    BothLocks both(lock, clockLock);
    condition.wait(both);
    m_waiting.erase(std::find(m_waiting.begin(), m_waiting.end(), &condition));
    m_waitersChanged.notify_all();
    clockLock.unlock();
    return true;
}

void ManualClock::advance(std::chrono::milliseconds step)
{
    assert(step.count() >= 0 && "a steady clock never goes back");
    const std::lock_guard lock(m_mutex);
    m_now += step;
    for (std::condition_variable_any* condition : m_waiting) {
        condition->notify_all();
    }
}

void ManualClock::awaitWaiters(std::size_t count)
{
    std::unique_lock lock(m_mutex);
    m_waitersChanged.wait(lock, [&] { return m_waiting.size() >= count; });
}

} // namespace platform::time
