#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace talvodesk {

/// The environment that decides where the program's windows go.
struct DisplayEnvironment {
    /// QT_QPA_PLATFORM, DISPLAY, WAYLAND_DISPLAY and XDG_RUNTIME_DIR; empty when unset.
    std::string qtPlatform;
    std::string display;
    std::string waylandDisplay;
    std::string runtimeFolder;

    /// The process's own environment.
    static DisplayEnvironment current();
};

/// Why no window can be opened, in a sentence that names what is missing; none when a display is there (or Qt is
/// told which platform to use). A local X display (":0") or a Wayland display counts only when its socket exists;
/// a remote X display is left to Qt.
std::optional<std::string> MissingDisplay(const DisplayEnvironment& environment,
                                          const std::function<bool(const std::filesystem::path&)>& socketExists);

} // namespace talvodesk
