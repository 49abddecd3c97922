#include "platform/kernel/OwnerThread.h"
#include "platform/kernel/Thread.h"

#include "platform/testing/Matchers.h"

#include <atomic>

namespace platform::kernel {
namespace {

TEST(OwnerThreadTest, KnowsTheThreadThatCreatedIt)
{
    const OwnerThread owner;
    EXPECT_TRUE(owner.isOwnerThread());
    owner.assertOwnerThread();

    std::atomic<bool> elsewhere = true;
    {
        auto thread = Thread::start([&](Event&) { elsewhere = owner.isOwnerThread(); });
        ASSERT_THAT(thread, IsOk());
    }
    EXPECT_FALSE(elsewhere);
}

TEST(OwnerThreadTest, UseFromAnotherThreadIsCaughtInDebugBuilds)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    const OwnerThread owner;
    EXPECT_DEBUG_DEATH({ auto thread = Thread::start([&](Event&) { owner.assertOwnerThread(); }); }, "another thread");
}

} // namespace
} // namespace platform::kernel
