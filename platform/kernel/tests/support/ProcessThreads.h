#pragma once

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <iterator>
#include <thread>

namespace platform::kernel::testing {

/// The threads of this process as the kernel lists them.
inline std::size_t processThreadCount()
{
    std::error_code error;
    const std::filesystem::directory_iterator tasks("/proc/self/task", error);
    return error ? 0 : static_cast<std::size_t>(std::distance(tasks, std::filesystem::directory_iterator()));
}

/// True once the process has `count` threads, within `patience`. A joined thread stays listed for a moment after
/// its join returned, so a count taken straight after a join may still include it.
inline bool settlesAtThreadCount(std::size_t count, std::chrono::milliseconds patience = std::chrono::seconds(5))
{
    const auto deadline = std::chrono::steady_clock::now() + patience;
    while (processThreadCount() != count) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

} // namespace platform::kernel::testing
