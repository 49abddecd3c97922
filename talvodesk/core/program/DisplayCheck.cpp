#include "talvodesk/core/program/DisplayCheck.h"

#include <cstdlib>

namespace talvodesk {

namespace {

std::string variable(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

/// The socket of a local X display ":N" or ":N.S"; none for a remote one.
std::optional<std::filesystem::path> localXSocket(const std::string& display)
{
    if (display.empty() || display.front() != ':') {
        return std::nullopt;
    }
    const std::string number = display.substr(1, display.find('.') - 1);
    if (number.empty() || number.find_first_not_of("0123456789") != std::string::npos) {
        return std::nullopt;
    }
    return std::filesystem::path("/tmp/.X11-unix") / ("X" + number);
}

} // namespace

DisplayEnvironment DisplayEnvironment::current()
{
    return {variable("QT_QPA_PLATFORM"), variable("DISPLAY"), variable("WAYLAND_DISPLAY"), variable("XDG_RUNTIME_DIR")};
}

std::optional<std::string> MissingDisplay(const DisplayEnvironment& environment,
                                          const std::function<bool(const std::filesystem::path&)>& socketExists)
{
    if (!environment.qtPlatform.empty()) {
        return std::nullopt;
    }
    if (!environment.waylandDisplay.empty()) {
        const std::filesystem::path socket =
            std::filesystem::path(environment.waylandDisplay).is_absolute()
                ? std::filesystem::path(environment.waylandDisplay)
                : std::filesystem::path(environment.runtimeFolder) / environment.waylandDisplay;
        if (socketExists(socket)) {
            return std::nullopt;
        }
    }
    if (!environment.display.empty()) {
        const auto socket = localXSocket(environment.display);
        if (!socket || socketExists(*socket)) {
            return std::nullopt;
        }
        return "no X server answers on display " + environment.display + " (" + socket->string() +
               " is missing): start talvodesk inside a desktop session";
    }
    if (!environment.waylandDisplay.empty()) {
        return "the Wayland display " + environment.waylandDisplay +
               " has no socket in XDG_RUNTIME_DIR: start talvodesk inside a desktop session";
    }
    return "no display: neither DISPLAY (X11) nor WAYLAND_DISPLAY (Wayland) is set; start talvodesk inside a desktop "
           "session, or set QT_QPA_PLATFORM=offscreen to run without windows";
}

} // namespace talvodesk
