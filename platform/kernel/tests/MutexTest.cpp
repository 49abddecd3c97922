#include "platform/kernel/Mutex.h"

#include <gtest/gtest.h>

#include <type_traits>

namespace platform::kernel {
namespace {

static_assert(!std::is_copy_constructible_v<Mutex> && !std::is_copy_assignable_v<Mutex>);
static_assert(!std::is_copy_constructible_v<RecursiveMutex>);
static_assert(!std::is_copy_constructible_v<LockGuard<Mutex>>);

class Counter {
public:
    // Re-enters the lock that incrementTwice already holds.
    void increment()
    {
        LockGuard guard(m_mutex);
        ++m_value;
    }
    void incrementTwice()
    {
        LockGuard guard(m_mutex);
        increment();
        increment();
    }
    int value()
    {
        LockGuard guard(m_mutex);
        return m_value;
    }

private:
    RecursiveMutex m_mutex;
    int m_value TALVO_GUARDED_BY(m_mutex) = 0;
};

TEST(MutexTest, RecursiveMutexMayBeTakenAgainByItsHolder)
{
    Counter counter;
    counter.incrementTwice();
    EXPECT_EQ(2, counter.value());
}

} // namespace
} // namespace platform::kernel
