#pragma once

#include <chrono>

namespace platform::time {
class Clock;
}

namespace talvolink {

/// Waits `duration` on `clock`: the pauses a sensor's protocol needs between line changes and commands.
void Pause(platform::time::Clock& clock, std::chrono::milliseconds duration);

} // namespace talvolink
