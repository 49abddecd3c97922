#pragma once

#include <cassert>
#include <thread>

namespace platform::kernel {

/// Remembers the thread that created an object, so that an owner-thread-only class can catch wrong-thread use
/// where it happens.
/// Thread rule: immutable; any thread may ask.
class OwnerThread {
public:
    OwnerThread() = default;

    bool isOwnerThread() const { return std::this_thread::get_id() == m_owner; }
    void assertOwnerThread() const { assert(isOwnerThread() && "owner-thread object used from another thread"); }

private:
    std::thread::id m_owner = std::this_thread::get_id();
};

} // namespace platform::kernel
