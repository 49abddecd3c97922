#include "platform/kernel/SwmrgGuard.h"

#include <string>

namespace platform::kernel {

namespace {

using Clock = std::chrono::steady_clock;

Clock::time_point deadlineAfter(Timeout timeout)
{
    return timeout == kWaitForever ? Clock::time_point::max() : Clock::now() + timeout;
}

Timeout remainingUntil(Clock::time_point deadline)
{
    if (deadline == Clock::time_point::max()) {
        return kWaitForever;
    }
    return std::max(Timeout(0), std::chrono::duration_cast<Timeout>(deadline - Clock::now()));
}

template <typename Predicate>
bool waitUntil(std::condition_variable& changed, std::unique_lock<std::mutex>& lock, Clock::time_point deadline,
               Predicate ready)
{
    if (deadline == Clock::time_point::max()) {
        changed.wait(lock, ready);
        return true;
    }
    return changed.wait_until(lock, deadline, ready);
}

} // namespace

Result<std::unique_ptr<SwmrgGuard>> SwmrgGuard::CreateGuard(const std::filesystem::path& folder,
                                                            std::string_view suffix)
{
    auto file = FileLock::open(folder / std::string(suffix));
    if (!file) {
        return file.error();
    }
    return std::unique_ptr<SwmrgGuard>(new SwmrgGuard(std::move(file).value()));
}

bool SwmrgGuard::WaitToWrite(Timeout timeout)
{
    const auto deadline = deadlineAfter(timeout);
    std::unique_lock lock(m_mutex);
    if (!waitUntil(m_changed, lock, deadline, [this] { return !m_writing && m_readers == 0; })) {
        return false;
    }
    m_writing = true;
    lock.unlock();
    if (m_file.lock(LockMode::Exclusive, remainingUntil(deadline))) {
        return true;
    }
    lock.lock();
    m_writing = false;
    m_changed.notify_all();
    return false;
}

void SwmrgGuard::DoneWriting()
{
    m_file.unlock();
    const std::lock_guard lock(m_mutex);
    m_writing = false;
    m_changed.notify_all();
}

bool SwmrgGuard::WaitToRead(Timeout timeout)
{
    const auto deadline = deadlineAfter(timeout);
    std::unique_lock lock(m_mutex);
    if (!waitUntil(m_changed, lock, deadline, [this] { return !m_writing; })) {
        return false;
    }
    if (m_readers == 0 && !m_file.lock(LockMode::Shared, remainingUntil(deadline))) {
        return false;
    }
    ++m_readers;
    return true;
}

void SwmrgGuard::DoneReading()
{
    const std::lock_guard lock(m_mutex);
    if (--m_readers == 0) {
        m_file.unlock();
        m_changed.notify_all();
    }
}

} // namespace platform::kernel
