#include "platform/time/Clock.h"

#include "platform/time/OleDate.h"

namespace platform::time {

std::chrono::milliseconds SystemClock::steadyNow() const
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
}

DATE SystemClock::wallNow() const
{
    return nowLocal();
}

bool SystemClock::waitOnce(std::condition_variable_any& condition, std::unique_lock<std::mutex>& lock,
                           std::chrono::milliseconds deadline)
{
    if (steadyNow() >= deadline) {
        return false;
    }
    condition.wait_until(lock, std::chrono::steady_clock::time_point(deadline));
    return true;
}

} // namespace platform::time
