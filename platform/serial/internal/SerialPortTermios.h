#pragma once

#include "platform/serial/SerialPort.h"
#include "platform/serial/internal/FileDescriptor.h"
#include "platform/serial/internal/TimedIo.h"

#include <mutex>

namespace platform::serial {

/// A serial port over a terminal device: termios for speed and framing, TIOCM ioctls for the modem lines,
/// poll for the time-outs. Thread rule: any thread (the time-outs are under a lock, the rest is the kernel's).
class SerialPortTermios final : public SerialPort {
public:
    /// Takes an open, non-blocking, exclusively held terminal; `gate` may end waiting reads and writes.
    SerialPortTermios(FileDescriptor fd, std::string path, IoGate gate);
    ~SerialPortTermios() override;

    const std::string& devicePath() const override;
    Result<SerialSettings> settings() const override;
    Status setSettings(const SerialSettings& settings) override;
    SerialTimeouts timeouts() const override;
    void setTimeouts(const SerialTimeouts& timeouts) override;
    Status setLine(OutputLine line, LineLevel level) override;
    Result<ModemStatus> modemStatus() const override;
    Status purge(PurgeQueue queue) override;
    Result<std::size_t> bytesWaiting() const override;
    Result<std::size_t> read(std::span<std::uint8_t> buffer) override;
    Result<std::size_t> write(std::span<const std::uint8_t> bytes) override;

private:
    FileDescriptor m_fd;
    std::string m_path;
    IoGate m_gate;
    mutable std::mutex m_mutex;
    SerialTimeouts m_timeouts; // Guarded by m_mutex.
};

} // namespace platform::serial
