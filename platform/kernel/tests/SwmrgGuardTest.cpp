#include "platform/kernel/SwmrgGuard.h"

#include "platform/fs/tests/support/TemporaryFolder.h"

#include <gtest/gtest.h>

#include <future>

namespace platform::kernel {
namespace {

using namespace std::chrono_literals;

std::unique_ptr<SwmrgGuard> openGuard(const std::filesystem::path& folder)
{
    auto guard = SwmrgGuard::CreateGuard(folder, "TESTDG");
    EXPECT_TRUE(guard.hasValue());
    return guard ? std::move(guard).value() : nullptr;
}

TEST(SwmrgGuardTest, WriterExcludesEveryoneAndReadersShare)
{
    fs::testing::TemporaryFolder folder;
    // Two guards stand for two processes; one guard's threads share it.
    const auto first = openGuard(folder.path());
    const auto second = openGuard(folder.path());

    ASSERT_TRUE(first->WaitToRead(0ms));
    ASSERT_TRUE(std::async(std::launch::async, [&] { return first->WaitToRead(0ms); }).get());
    EXPECT_TRUE(second->WaitToRead(0ms));
    second->DoneReading();
    first->DoneReading();
    EXPECT_FALSE(second->WaitToWrite(0ms)) << "one reader of the first guard is still inside";
    first->DoneReading();

    ASSERT_TRUE(second->WaitToWrite(0ms));
    EXPECT_FALSE(first->WaitToRead(0ms));
    EXPECT_FALSE(first->WaitToWrite(0ms));
    EXPECT_FALSE(std::async(std::launch::async, [&] { return second->WaitToRead(0ms); }).get());
    auto waitingReader = std::async(std::launch::async, [&] { return first->WaitToRead(kWaitForever); });
    second->DoneWriting();
    EXPECT_TRUE(waitingReader.get());
    first->DoneReading();
}

} // namespace
} // namespace platform::kernel
