#pragma once

#include <chrono>

namespace platform::kernel {

/// How long a lock or wait may take; kWaitForever blocks until it succeeds.
using Timeout = std::chrono::milliseconds;
inline constexpr Timeout kWaitForever = Timeout::max();

} // namespace platform::kernel
