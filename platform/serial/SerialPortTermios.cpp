#include "platform/serial/internal/SerialPortTermios.h"

#include "platform/serial/internal/SystemError.h"
#include "platform/serial/internal/TermiosSettings.h"

#include <sys/ioctl.h>
#include <termios.h>

#include <cerrno>

namespace platform::serial {
namespace {

std::string describe(const SerialSettings& settings)
{
    static constexpr const char* kParities[] = {"no parity", "odd parity", "even parity", "mark parity",
                                                "space parity"};
    return std::to_string(settings.baudRate) + " baud, " + std::to_string(settings.dataBits) + " data bits, " +
           kParities[static_cast<int>(settings.parity)] + ", " +
           (settings.stopBits == StopBits::Two ? "2 stop bits" : "1 stop bit");
}

// A terminal without modem lines (a pseudo-terminal) answers ENOTTY or EINVAL.
Error modemError(int error, const std::string& path, std::string_view what)
{
    if (error == ENOTTY || error == EINVAL) {
        return Error{kNotSupported, path + ": " + std::string(what) + ": the device has no modem lines"};
    }
    return systemError(error, path, what);
}

} // namespace

SerialPortTermios::SerialPortTermios(FileDescriptor fd, std::string path, IoGate gate)
    : m_fd(std::move(fd)), m_path(std::move(path)), m_gate(std::move(gate))
{
}

SerialPortTermios::~SerialPortTermios()
{
    // The exclusive flag stays on the terminal while any descriptor is open (the device side of a test port keeps
    // one), so it is dropped here or the next open would be refused.
    (void)::ioctl(m_fd.get(), TIOCNXCL);
}

const std::string& SerialPortTermios::devicePath() const
{
    return m_path;
}

Result<SerialSettings> SerialPortTermios::settings() const
{
    termios attributes{};
    if (::tcgetattr(m_fd.get(), &attributes) != 0) {
        return systemError(errno, m_path, "reading settings");
    }
    Result<SerialSettings> settings = settingsFromTermios(attributes);
    if (!settings) {
        return Error{settings.error().code, m_path + ": " + settings.error().detail};
    }
    return settings;
}

Status SerialPortTermios::setSettings(const SerialSettings& settings)
{
    termios previous{};
    if (::tcgetattr(m_fd.get(), &previous) != 0) {
        return systemError(errno, m_path, "reading settings");
    }
    termios attributes = previous;
    if (Status converted = settingsToTermios(settings, attributes); !converted) {
        return Error{converted.error().code, m_path + ": " + converted.error().detail};
    }
    if (::tcsetattr(m_fd.get(), TCSANOW, &attributes) != 0) {
        return systemError(errno, m_path, "changing settings");
    }
    // tcsetattr succeeds when the driver took any part of the change; drivers quietly keep what they cannot do.
    Result<SerialSettings> taken = this->settings();
    if (!taken) {
        return taken.error();
    }
    if (*taken != settings) {
        (void)::tcsetattr(m_fd.get(), TCSANOW, &previous); // Best effort: the refusal is what gets reported.
        return Error{E_INVALIDARG,
                     m_path + ": the device cannot take " + describe(settings) + " (it kept " + describe(*taken) + ")"};
    }
    return {};
}

SerialTimeouts SerialPortTermios::timeouts() const
{
    std::lock_guard lock(m_mutex);
    return m_timeouts;
}

void SerialPortTermios::setTimeouts(const SerialTimeouts& timeouts)
{
    std::lock_guard lock(m_mutex);
    m_timeouts = timeouts;
}

Status SerialPortTermios::setLine(OutputLine line, LineLevel level)
{
    const int bits = line == OutputLine::Dtr ? TIOCM_DTR : TIOCM_RTS;
    if (::ioctl(m_fd.get(), level == LineLevel::On ? TIOCMBIS : TIOCMBIC, &bits) != 0) {
        return modemError(errno, m_path, "changing modem lines");
    }
    return {};
}

Result<ModemStatus> SerialPortTermios::modemStatus() const
{
    int bits = 0;
    if (::ioctl(m_fd.get(), TIOCMGET, &bits) != 0) {
        return modemError(errno, m_path, "reading modem lines");
    }
    ModemStatus status;
    status.cts = bits & TIOCM_CTS;
    status.dsr = bits & TIOCM_DSR;
    status.ri = bits & TIOCM_RI;
    status.dcd = bits & TIOCM_CD;
    return status;
}

Status SerialPortTermios::purge(PurgeQueue queue)
{
    int selector = TCIOFLUSH;
    switch (queue) {
    case PurgeQueue::Input:
        selector = TCIFLUSH;
        break;
    case PurgeQueue::Output:
        selector = TCOFLUSH;
        break;
    case PurgeQueue::Both:
        break;
    }
    if (::tcflush(m_fd.get(), selector) != 0) {
        return systemError(errno, m_path, "purging");
    }
    return {};
}

Result<std::size_t> SerialPortTermios::bytesWaiting() const
{
    int count = 0;
    if (::ioctl(m_fd.get(), FIONREAD, &count) != 0) {
        return systemError(errno, m_path, "counting waiting bytes");
    }
    return static_cast<std::size_t>(count);
}

Result<std::size_t> SerialPortTermios::read(std::span<std::uint8_t> buffer)
{
    return timedRead(m_fd.get(), buffer, timeouts(), m_gate, m_path);
}

Result<std::size_t> SerialPortTermios::write(std::span<const std::uint8_t> bytes)
{
    return timedWrite(m_fd.get(), bytes, timeouts(), m_gate, m_path);
}

} // namespace platform::serial
