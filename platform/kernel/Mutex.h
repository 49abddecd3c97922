#pragma once

#include "platform/kernel/ThreadSafety.h"

#include <mutex>

namespace platform::kernel {

/// A std::mutex that the thread-safety analysis knows as a capability.
/// Thread rule: any thread.
class TALVO_CAPABILITY("mutex") Mutex {
public:
    Mutex() = default;
    Mutex(const Mutex&) = delete;
    Mutex& operator=(const Mutex&) = delete;

    // Lower-case std names keep it BasicLockable, so std::condition_variable_any can wait on it.
    void lock() TALVO_ACQUIRE() { m_mutex.lock(); }
    void unlock() TALVO_RELEASE() { m_mutex.unlock(); }

private:
    std::mutex m_mutex;
};

/// A std::recursive_mutex as a capability, for objects whose methods call each other under one lock.
/// Thread rule: any thread.
class TALVO_CAPABILITY("mutex") RecursiveMutex {
public:
    RecursiveMutex() = default;
    RecursiveMutex(const RecursiveMutex&) = delete;
    RecursiveMutex& operator=(const RecursiveMutex&) = delete;

    void lock() TALVO_ACQUIRE() { m_mutex.lock(); }
    void unlock() TALVO_RELEASE() { m_mutex.unlock(); }

private:
    std::recursive_mutex m_mutex;
};

/// Holds a Mutex or RecursiveMutex for its scope.
template <typename MutexType> class TALVO_SCOPED_CAPABILITY LockGuard {
public:
    explicit LockGuard(MutexType& mutex) TALVO_ACQUIRE(mutex) : m_mutex(mutex) { m_mutex.lock(); }
    ~LockGuard() TALVO_RELEASE() { m_mutex.unlock(); }
    LockGuard(const LockGuard&) = delete;
    LockGuard& operator=(const LockGuard&) = delete;

private:
    MutexType& m_mutex;
};

} // namespace platform::kernel
