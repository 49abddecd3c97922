#include "talvodesk/core/range/RangePacing.h"

#include "platform/kernel/Event.h"
#include "platform/kernel/Thread.h"
#include "platform/time/Clock.h"

namespace talvodesk {

RangePacing::RangePacing(platform::time::Clock& clock, StepPoster postStep)
    : m_clock(clock), m_postStep(std::move(postStep))
{
}

RangePacing::~RangePacing()
{
    (void)StopRangePacing(); // Nothing to stop is fine here.
}

bool RangePacing::StartRangePacing(std::chrono::milliseconds timeout)
{
    m_ownerThread.assertOwnerThread();
    if (m_thread) {
        return false;
    }
    m_timeout = timeout;
    {
        const platform::kernel::LockGuard lock(m_pendingMutex);
        m_stepPending = false;
    }
    m_armed = true;
    auto thread = platform::kernel::Thread::start(
        [this](platform::kernel::Event& stopEvent) { RangePacingThreadProc(stopEvent); });
    if (!thread) {
        m_armed = false;
        return false;
    }
    m_thread = std::move(*thread);
    return true;
}

bool RangePacing::StopRangePacing()
{
    m_ownerThread.assertOwnerThread();
    if (!m_thread) {
        return false;
    }
    m_armed = false;
    m_thread.reset(); // Sets the stop event and waits for the worker.
    return true;
}

bool RangePacing::takeStep()
{
    {
        const platform::kernel::LockGuard lock(m_pendingMutex);
        m_stepPending = false;
    }
    return m_armed;
}

void RangePacing::RangePacingThreadProc(platform::kernel::Event& stopEvent)
{
    while (!stopEvent.wait(m_timeout, m_clock)) {
        if (!m_armed) {
            continue;
        }
        const platform::kernel::LockGuard lock(m_pendingMutex);
        // A post that failed leaves nothing pending, or the sequence would never advance again.
        if (!m_stepPending && m_postStep()) {
            m_stepPending = true;
        }
    }
}

} // namespace talvodesk
