#pragma once

#include "platform/com/Result.h"
#include "platform/serial/SerialPort.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <span>
#include <string>

namespace platform::serial {

/// Checked before and while a read or write waits; an error ends the call with it. Lets a simulated device that
/// was unplugged fail a read that is already waiting, as a real unplugged adapter does.
using IoGate = std::function<Status()>;

/// Reads from a non-blocking descriptor with the Windows time-out rules of SerialTimeouts. End of file (a terminal
/// hung up) is kDeviceNotConnected. `path` names the device in error details.
Result<std::size_t> timedRead(int fd, std::span<std::uint8_t> buffer, const SerialTimeouts& timeouts,
                              const IoGate& gate, const std::string& path);

/// Writes to a non-blocking descriptor until every byte is taken or the write time-out passes.
Result<std::size_t> timedWrite(int fd, std::span<const std::uint8_t> bytes, const SerialTimeouts& timeouts,
                               const IoGate& gate, const std::string& path);

} // namespace platform::serial
