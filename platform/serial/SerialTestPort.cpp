#include "platform/serial/SerialTestPort.h"

#include "platform/serial/internal/FileDescriptor.h"
#include "platform/serial/internal/SerialPortPty.h"
#include "platform/serial/internal/SystemError.h"
#include "platform/serial/internal/TermiosSettings.h"
#include "platform/serial/internal/TimedIo.h"

#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace platform::serial {
namespace {

constexpr const char* kMasterName = "pseudo-terminal master";

Result<FileDescriptor> openMaster()
{
    FileDescriptor master(::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC));
    if (!master.isValid()) {
        return systemError(errno, kMasterName, "opening");
    }
    if (::grantpt(master.get()) != 0 || ::unlockpt(master.get()) != 0 ||
        ::fcntl(master.get(), F_SETFL, O_NONBLOCK) != 0) {
        return systemError(errno, kMasterName, "preparing");
    }
    // Settings made on the master apply to the slave: raw from the start, so nothing the device writes is echoed
    // back to it before the program opens its side.
    termios attributes{};
    if (::tcgetattr(master.get(), &attributes) != 0) {
        return systemError(errno, kMasterName, "reading settings");
    }
    makeRaw(attributes);
    if (::tcsetattr(master.get(), TCSANOW, &attributes) != 0) {
        return systemError(errno, kMasterName, "changing settings");
    }
    return master;
}

} // namespace

Result<std::unique_ptr<SerialTestPort>> SerialTestPort::create()
{
    Result<FileDescriptor> master = openMaster();
    if (!master) {
        return master.error();
    }
    char name[64] = {};
    if (::ptsname_r(master->get(), name, sizeof name) != 0) {
        return systemError(errno, kMasterName, "naming the slave");
    }
    FileDescriptor slave(::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC));
    struct stat status {};
    if (!slave.isValid() || ::fstat(slave.get(), &status) != 0) {
        return systemError(errno, name, "opening");
    }
    Result<std::unique_ptr<VirtualModemLines>> lines = VirtualModemLines::create(status.st_rdev);
    if (!lines) {
        return lines.error();
    }
    return std::unique_ptr<SerialTestPort>(
        new SerialTestPort(master->release(), slave.release(), name, std::move(*lines)));
}

SerialTestPort::SerialTestPort(int master, int slave, std::string programPath, std::unique_ptr<VirtualModemLines> lines)
    : m_master(master), m_slave(slave), m_programPath(std::move(programPath)), m_lines(std::move(lines))
{
}

SerialTestPort::~SerialTestPort()
{
    // The lines go first: once the pty is closed its number may be reused at once, by a port that must not find
    // them, or by another test port whose lines have the same name.
    m_lines.reset();
    ::close(m_slave);
    ::close(m_master);
}

const std::string& SerialTestPort::programPath() const
{
    return m_programPath;
}

VirtualModemLines& SerialTestPort::lines()
{
    return *m_lines;
}

Result<SerialSettings> SerialTestPort::settings() const
{
    termios attributes{};
    if (::tcgetattr(m_master, &attributes) != 0) {
        return systemError(errno, m_programPath, "reading settings");
    }
    Result<SerialSettings> settings = settingsFromTermios(attributes);
    if (settings) {
        settings->dataBits = m_lines->dataBits();
        settings->parity = m_lines->parity();
    }
    return settings;
}

Result<std::size_t> SerialTestPort::read(std::span<std::uint8_t> buffer, std::chrono::milliseconds timeout)
{
    SerialTimeouts timeouts;
    timeouts.readInterval = kMaxTimeout;
    if (timeout.count() > 0) {
        timeouts.readTotalMultiplier = kMaxTimeout;
        timeouts.readTotalConstant =
            static_cast<std::uint32_t>(std::min<std::int64_t>(timeout.count(), kMaxTimeout - 1));
    }
    return timedRead(m_master, buffer, timeouts, SerialPortPty::gate(*m_lines, m_programPath), m_programPath);
}

Result<std::size_t> SerialTestPort::write(std::span<const std::uint8_t> bytes)
{
    return timedWrite(m_master, bytes, SerialTimeouts(), SerialPortPty::gate(*m_lines, m_programPath), m_programPath);
}

void SerialTestPort::unplug()
{
    m_lines->unplug();
}

void SerialTestPort::plugIn()
{
    m_lines->plugIn();
}

} // namespace platform::serial
