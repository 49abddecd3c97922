#include "platform/serial/internal/SystemError.h"

#include "platform/com/ErrorText.h"
#include "platform/serial/SerialPort.h"

#include <cerrno>

namespace platform::serial {
namespace {

HRESULT resultForErrno(int error)
{
    switch (error) {
    case EIO:
    case ENXIO:
    case ENODEV:
        return kDeviceNotConnected;
    case EBUSY:
    case EACCES:
    case EPERM:
    case EWOULDBLOCK:
        return E_ACCESSDENIED;
    case ENOENT:
        return kPortNotFound;
    case ENOTTY:
        return kNotSupported;
    default:
        return E_FAIL;
    }
}

} // namespace

Error systemError(int error, const std::string& path, std::string_view what)
{
    std::string detail = path + ": " + std::string(what) + ": " + platform::com::errorText(error);
    return Error{resultForErrno(error), std::move(detail)};
}

Error disconnectedError(const std::string& path)
{
    return Error{kDeviceNotConnected, path + ": device disconnected"};
}

} // namespace platform::serial
