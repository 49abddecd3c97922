#pragma once

#include "platform/com/Result.h"
#include "platform/serial/SerialPort.h"
#include "platform/serial/VirtualModemLines.h"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace platform::serial {

/// A simulated serial device on a pseudo-terminal. The program opens programPath() like any port (directly, or as a
/// COM number through TALVO_SERIAL_PORTS, also from another process) and gets the virtual modem lines of lines():
/// the device side sets CTS, DSR, RI and DCD there and watches DTR and RTS. The device side reads and writes the
/// bytes, sees the speed and framing the program chose, and can be unplugged: the program's calls then fail with
/// kDeviceNotConnected, as with a disconnected USB adapter, until it is plugged in again.
/// Thread rule: any thread.
class SerialTestPort {
public:
    static Result<std::unique_ptr<SerialTestPort>> create();
    ~SerialTestPort();
    SerialTestPort(const SerialTestPort&) = delete;
    SerialTestPort& operator=(const SerialTestPort&) = delete;

    /// The pty slave, "/dev/pts/<n>".
    const std::string& programPath() const;
    VirtualModemLines& lines();

    /// Speed and stop bits from the pty's termios, data bits and parity from the virtual lines (a pty keeps none).
    Result<SerialSettings> settings() const;

    /// Waits up to `timeout` for the first byte (0: not at all) and returns what is there then, up to the buffer.
    /// kDeviceNotConnected while unplugged.
    Result<std::size_t> read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout);
    /// Writes every byte, waiting while the program side's input is full. kDeviceNotConnected while unplugged.
    Result<std::size_t> write(std::span<const std::uint8_t> bytes);

    void unplug();
    void plugIn();

private:
    SerialTestPort(int master, int slave, std::string programPath, std::unique_ptr<VirtualModemLines> lines);

    int m_master;
    int m_slave; ///< Kept open so the pty does not hang up between the program's opens.
    std::string m_programPath;
    std::unique_ptr<VirtualModemLines> m_lines;
};

} // namespace platform::serial
