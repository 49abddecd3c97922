#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace talvodesk {

/// The program's command line, scanned once at start. Switches begin with "-" or "/" and compare without regard
/// to case; unknown switches beginning with "-" are ignored, while "/" followed by anything but a switch name is
/// an absolute path. Immutable.
class CAppCommandLine {
public:
    enum Action : std::int32_t { NewPractice = 0, OpenFile = 1, Register = 5, Unregister = 6, Nothing = -1 };

    /// The arguments after the program's name.
    explicit CAppCommandLine(std::span<const std::string_view> arguments);

    /// 1 when started by the service bus ("Automation" or "Embedding"); the action is not changed by it.
    std::uint32_t m_bServer = 0;
    std::int32_t m_action = OpenFile;
    std::string m_filePath;
    std::string m_eventName;
    std::string m_shooterName;
};

} // namespace talvodesk
