#pragma once

#include "platform/com/Result.h"

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

namespace platform::serial {

/// Which device node is COM<n>.
///
/// With the environment variable TALVO_SERIAL_PORTS set and not empty, it is the whole map:
/// "COM1=/dev/pts/5,COM2=/dev/ttyUSB0" (numbers 1..kMaxComNumber, absolute paths, spaces around entries ignored).
/// Tests and simulators use it to stay off the machine's own ports; people use it to pin a sensor to a number.
///
/// Otherwise the real ports under /sys/class/tty are numbered from COM1, in this order: UARTs (entries with a
/// `type` attribute that is not 0, so the ttyS* the 8250 driver registers without hardware are left out), then USB
/// adapters ttyUSB*, then ttyACM*, each kind by name with numbers compared as numbers (ttyUSB2 before ttyUSB10).
/// Every port must have a `device` link (a device behind it). The order only changes when ports come or go.
/// Immutable.
class PortMap {
public:
    /// From TALVO_SERIAL_PORTS, or by enumerating /sys/class/tty for /dev.
    static Result<PortMap> fromEnvironment();
    /// E_INVALIDARG naming the bad entry (not "COM<n>=<absolute path>", a number out of range, a number twice).
    static Result<PortMap> parse(std::string_view text);
    /// `classTty` is a /sys/class/tty folder; device nodes are named in `devFolder`.
    static PortMap enumerate(const std::filesystem::path& classTty, const std::filesystem::path& devFolder);

    /// kPortNotFound for a number without a device, E_INVALIDARG outside 1..kMaxComNumber.
    Result<std::string> devicePath(int comNumber) const;

private:
    std::map<int, std::string> m_devices;
};

} // namespace platform::serial
