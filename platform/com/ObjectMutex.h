#pragma once

#include <atomic>
#include <cstdint>
#include <thread>

namespace platform::com {

/// The recursive mutex of one COM-lite object. Every method of every object takes one, so taking a free one costs
/// a compare-exchange and no call into the C library; a thread that finds it held elsewhere sleeps until it is
/// released. Thread rule: any thread.
class ObjectMutex {
public:
    ObjectMutex() = default;
    ObjectMutex(const ObjectMutex&) = delete;
    ObjectMutex& operator=(const ObjectMutex&) = delete;

    // Lower-case std names keep it BasicLockable, for std::unique_lock.
    void lock()
    {
        const std::thread::id self = std::this_thread::get_id();
        // Only the holder stores its own id here, and clears it before it lets go of m_state, so even a relaxed
        // load that sees this thread's id proves this thread holds the mutex; m_state orders all the rest.
        if (m_owner.load(std::memory_order_relaxed) == self) {
            ++m_depth;
            return;
        }
        std::uint32_t expected = kFree;
        if (!m_state.compare_exchange_strong(expected, kHeld)) {
            lockContended();
        }
        m_owner.store(self, std::memory_order_relaxed);
        m_depth = 1;
    }

    void unlock()
    {
        if (--m_depth > 0) {
            return;
        }
        m_owner.store(std::thread::id(), std::memory_order_relaxed);
        if (m_state.exchange(kFree) == kContended) {
            m_state.notify_one();
        }
    }

private:
    static constexpr std::uint32_t kFree = 0;
    static constexpr std::uint32_t kHeld = 1;
    /// Held, with other threads perhaps asleep on it.
    static constexpr std::uint32_t kContended = 2;
    static_assert(std::atomic<std::thread::id>::is_always_lock_free);

    void lockContended();

    std::atomic<std::uint32_t> m_state{kFree};
    std::atomic<std::thread::id> m_owner;
    /// Touched only by the holder.
    std::uint32_t m_depth = 0;
};

} // namespace platform::com
