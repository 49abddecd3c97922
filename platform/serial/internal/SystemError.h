#pragma once

#include "platform/com/Result.h"

#include <string>
#include <string_view>

namespace platform::serial {

/// The Error for a failed system call on `path`: errno becomes the result a Windows port gives in that case
/// (a device gone: kDeviceNotConnected, busy or forbidden: E_ACCESSDENIED, missing: kPortNotFound), and the
/// detail reads "<path>: <what>: <reason>".
Error systemError(int error, const std::string& path, std::string_view what);

/// The Error for a port whose device went away.
Error disconnectedError(const std::string& path);

} // namespace platform::serial
