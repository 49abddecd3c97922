#include "platform/serial/SerialPort.h"

#include "platform/serial/PortMap.h"
#include "platform/serial/VirtualModemLines.h"
#include "platform/serial/internal/SerialPortPty.h"
#include "platform/serial/internal/SerialPortTermios.h"
#include "platform/serial/internal/SystemError.h"
#include "platform/serial/internal/TermiosSettings.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>

namespace platform::serial {
namespace {

Error openError(int error, const std::string& path)
{
    if (error == EBUSY || error == EWOULDBLOCK) {
        return Error{E_ACCESSDENIED, path + ": the port is in use by another program"};
    }
    return systemError(error, path, "opening");
}

// Opens without waiting for carrier (O_NONBLOCK), refuses other openers and puts the line in raw mode.
Result<FileDescriptor> openTerminal(const std::string& path)
{
    FileDescriptor fd(::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!fd.isValid()) {
        return openError(errno, path);
    }
    if (!::isatty(fd.get())) {
        return Error{E_INVALIDARG, path + ": not a terminal device"};
    }
    // TIOCEXCL does not stop root; the flock stops every opener that goes through here.
    if (::flock(fd.get(), LOCK_EX | LOCK_NB) != 0) {
        return openError(errno, path);
    }
    termios attributes{};
    if (::tcgetattr(fd.get(), &attributes) != 0) {
        return systemError(errno, path, "reading settings");
    }
    makeRaw(attributes);
    if (::tcsetattr(fd.get(), TCSANOW, &attributes) != 0) {
        return systemError(errno, path, "changing settings");
    }
    // Last, so no failure leaves the flag behind on a terminal that stays open elsewhere.
    if (::ioctl(fd.get(), TIOCEXCL) != 0) {
        return systemError(errno, path, "taking the port exclusively");
    }
    return fd;
}

} // namespace

bool ModemStatus::isOn(InputLine line) const
{
    switch (line) {
    case InputLine::Cts:
        return cts;
    case InputLine::Dsr:
        return dsr;
    case InputLine::Ri:
        return ri;
    case InputLine::Dcd:
        return dcd;
    }
    return false;
}

Result<std::unique_ptr<SerialPort>> openSerialDevice(const std::string& path)
{
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        return openError(errno, path);
    }
    Result<std::unique_ptr<VirtualModemLines>> lines = VirtualModemLines::attach(status.st_rdev);
    if (!lines) {
        return lines.error();
    }
    Result<FileDescriptor> fd = openTerminal(path);
    if (!fd) {
        return fd.error();
    }
    if (!*lines) {
        return std::unique_ptr<SerialPort>(std::make_unique<SerialPortTermios>(std::move(*fd), path, IoGate()));
    }
    auto port = std::make_unique<SerialPortTermios>(std::move(*fd), path, SerialPortPty::gate(**lines, path));
    return std::unique_ptr<SerialPort>(std::make_unique<SerialPortPty>(std::move(*lines), std::move(port)));
}

Result<std::unique_ptr<SerialPort>> openSerialPort(int comNumber)
{
    Result<PortMap> map = PortMap::fromEnvironment();
    if (!map) {
        return map.error();
    }
    Result<std::string> path = map->devicePath(comNumber);
    if (!path) {
        return path.error();
    }
    Result<std::unique_ptr<SerialPort>> port = openSerialDevice(*path);
    if (!port) {
        return Error{port.error().code, "COM" + std::to_string(comNumber) + ": " + port.error().detail};
    }
    return port;
}

} // namespace platform::serial
