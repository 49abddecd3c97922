#pragma once

#include "platform/serial/SerialPort.h"
#include "platform/serial/VirtualModemLines.h"
#include "platform/serial/internal/TimedIo.h"

namespace platform::serial {

/// The program side of a SerialTestPort: the pty's termios port for bytes and speed, with the modem lines, data
/// bits, parity and plug state kept in the shared VirtualModemLines. Opening raises DTR and RTS and closing drops
/// them, as the kernel does for a real port. Thread rule: any thread.
class SerialPortPty final : public SerialPort {
public:
    /// `port` must have been made with gate() of the same `lines`.
    SerialPortPty(std::unique_ptr<VirtualModemLines> lines, std::unique_ptr<SerialPort> port);
    ~SerialPortPty() override;

    /// kDeviceNotConnected while the device is unplugged.
    static Status pluggedStatus(const VirtualModemLines& lines, const std::string& path);
    /// pluggedStatus as a gate for the termios port beneath, so reads that are waiting end too.
    static IoGate gate(const VirtualModemLines& lines, const std::string& path);

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
    std::unique_ptr<VirtualModemLines> m_lines;
    std::unique_ptr<SerialPort> m_port; // Destroyed first: its gate refers to m_lines.
};

} // namespace platform::serial
