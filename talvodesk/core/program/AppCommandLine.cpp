#include "talvodesk/core/program/AppCommandLine.h"

#include <algorithm>
#include <optional>

namespace talvodesk {

namespace {

bool sameSwitch(std::string_view text, std::string_view name)
{
    // ASCII folding only: the switch names are ASCII, and the user's locale must not change the comparison.
    return std::ranges::equal(text, name, [](char a, char b) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

enum class Switch : std::int32_t {
    NewPractice = CAppCommandLine::NewPractice,
    Register = CAppCommandLine::Register,
    Unregister = CAppCommandLine::Unregister,
    Server,
    Unknown
};

/// The switch an argument gives, or nothing for a value. An absolute path also begins with "/", so a "/" that is
/// not followed by a known switch name begins a value.
std::optional<Switch> switchOf(std::string_view argument)
{
    if (argument.empty() || (argument.front() != '-' && argument.front() != '/')) {
        return std::nullopt;
    }
    const std::string_view name = argument.substr(1);
    if (sameSwitch(name, "n") || sameSwitch(name, "NewPractice")) {
        return Switch::NewPractice;
    }
    if (sameSwitch(name, "Register") || sameSwitch(name, "Regserver")) {
        return Switch::Register;
    }
    if (sameSwitch(name, "Unregister") || sameSwitch(name, "Unregserver")) {
        return Switch::Unregister;
    }
    if (sameSwitch(name, "Automation") || sameSwitch(name, "Embedding")) {
        return Switch::Server;
    }
    if (argument.front() == '/') {
        return std::nullopt;
    }
    return Switch::Unknown;
}

} // namespace

CAppCommandLine::CAppCommandLine(std::span<const std::string_view> arguments)
{
    int valuesTaken = 0;
    for (const std::string_view argument : arguments) {
        const std::optional<Switch> given = switchOf(argument);
        if (given) {
            if (*given == Switch::Server) {
                m_bServer = 1;
            } else if (*given != Switch::Unknown) {
                m_action = static_cast<Action>(*given);
            }
            continue;
        }
        if (m_action == NewPractice) {
            if (valuesTaken == 0) {
                m_eventName = argument;
            } else if (valuesTaken == 1) {
                m_shooterName = argument;
            }
        } else if (valuesTaken == 0) {
            m_filePath = argument;
        }
        ++valuesTaken;
    }
    if (m_action == OpenFile && m_filePath.empty()) {
        m_action = Nothing;
    }
}

} // namespace talvodesk
