#pragma once

#include <string>

namespace platform::com {

/// The English description of an errno value ("No such file or directory"), or "error <n>" for an unknown one.
/// Safe from any thread and independent of the locale, unlike strerror.
std::string errorText(int error);

} // namespace platform::com
