#include "platform/serial/internal/SerialPortPty.h"

#include "platform/serial/internal/SystemError.h"
#include "platform/serial/internal/TermiosSettings.h"

namespace platform::serial {

SerialPortPty::SerialPortPty(std::unique_ptr<VirtualModemLines> lines, std::unique_ptr<SerialPort> port)
    : m_lines(std::move(lines)), m_port(std::move(port))
{
    m_lines->setLine(OutputLine::Dtr, LineLevel::On);
    m_lines->setLine(OutputLine::Rts, LineLevel::On);
}

SerialPortPty::~SerialPortPty()
{
    m_lines->setLine(OutputLine::Dtr, LineLevel::Off);
    m_lines->setLine(OutputLine::Rts, LineLevel::Off);
}

Status SerialPortPty::pluggedStatus(const VirtualModemLines& lines, const std::string& path)
{
    if (!lines.isPlugged()) {
        return disconnectedError(path);
    }
    return {};
}

IoGate SerialPortPty::gate(const VirtualModemLines& lines, const std::string& path)
{
    return [&lines, path] { return pluggedStatus(lines, path); };
}

const std::string& SerialPortPty::devicePath() const
{
    return m_port->devicePath();
}

Result<SerialSettings> SerialPortPty::settings() const
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged.error();
    }
    Result<SerialSettings> settings = m_port->settings();
    if (settings) {
        settings->dataBits = m_lines->dataBits();
        settings->parity = m_lines->parity();
    }
    return settings;
}

Status SerialPortPty::setSettings(const SerialSettings& settings)
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged;
    }
    if (Status checked = checkSettings(settings); !checked) {
        return Error{checked.error().code, devicePath() + ": " + checked.error().detail};
    }
    // A pty forces 8 data bits without parity, so only speed and stop bits go to its termios.
    SerialSettings carried = settings;
    carried.dataBits = 8;
    carried.parity = Parity::None;
    if (Status applied = m_port->setSettings(carried); !applied) {
        return applied;
    }
    m_lines->setFraming(settings.dataBits, settings.parity);
    return {};
}

SerialTimeouts SerialPortPty::timeouts() const
{
    return m_port->timeouts();
}

void SerialPortPty::setTimeouts(const SerialTimeouts& timeouts)
{
    m_port->setTimeouts(timeouts);
}

Status SerialPortPty::setLine(OutputLine line, LineLevel level)
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged;
    }
    m_lines->setLine(line, level);
    return {};
}

Result<ModemStatus> SerialPortPty::modemStatus() const
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged.error();
    }
    return m_lines->inputs();
}

Status SerialPortPty::purge(PurgeQueue queue)
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged;
    }
    return m_port->purge(queue);
}

Result<std::size_t> SerialPortPty::bytesWaiting() const
{
    if (Status plugged = pluggedStatus(*m_lines, devicePath()); !plugged) {
        return plugged.error();
    }
    return m_port->bytesWaiting();
}

Result<std::size_t> SerialPortPty::read(std::span<std::uint8_t> buffer)
{
    return m_port->read(buffer);
}

Result<std::size_t> SerialPortPty::write(std::span<const std::uint8_t> bytes)
{
    return m_port->write(bytes);
}

} // namespace platform::serial
