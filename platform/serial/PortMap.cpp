#include "platform/serial/PortMap.h"

#include "platform/serial/SerialPort.h"

#include "platform/text/Number.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <system_error>
#include <tuple>
#include <vector>

namespace platform::serial {
namespace {

constexpr const char* kOverrideVariable = "TALVO_SERIAL_PORTS";

std::string_view trim(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool startsWithCom(std::string_view text)
{
    return text.size() > 3 && (text[0] == 'C' || text[0] == 'c') && (text[1] == 'O' || text[1] == 'o') &&
           (text[2] == 'M' || text[2] == 'm');
}

// 0 for a UART, 1 for a USB adapter, 2 for a USB modem-class adapter; nothing for what is not a real port.
std::optional<int> portKind(const std::filesystem::path& entry)
{
    std::error_code error;
    if (!std::filesystem::exists(entry / "device", error)) {
        return std::nullopt;
    }
    const std::string name = entry.filename().string();
    if (name.starts_with("ttyUSB")) {
        return 1;
    }
    if (name.starts_with("ttyACM")) {
        return 2;
    }
    std::ifstream typeFile(entry / "type");
    std::string type;
    std::getline(typeFile, type);
    const std::optional<std::int64_t> uartType = text::parseInteger(type);
    if (uartType && *uartType != 0) {
        return 0;
    }
    return std::nullopt;
}

// "ttyUSB10" becomes ("ttyUSB", 10), so numbers sort as numbers.
std::pair<std::string, std::uint64_t> splitNumber(const std::string& name)
{
    const auto digits = name.find_last_not_of("0123456789") + 1;
    std::uint64_t number = 0;
    for (char digit : name.substr(digits)) {
        number = number * 10 + static_cast<std::uint64_t>(digit - '0');
    }
    return {name.substr(0, digits), number};
}

Error badEntry(std::string_view entry, std::string_view why)
{
    return Error{E_INVALIDARG,
                 std::string(kOverrideVariable) + ": entry \"" + std::string(entry) + "\" " + std::string(why)};
}

} // namespace

Result<PortMap> PortMap::fromEnvironment()
{
    const char* text = std::getenv(kOverrideVariable);
    if (text && *text) {
        return parse(text);
    }
    return enumerate("/sys/class/tty", "/dev");
}

Result<PortMap> PortMap::parse(std::string_view text)
{
    PortMap map;
    while (!text.empty()) {
        const auto comma = text.find(',');
        const std::string_view entry = trim(text.substr(0, comma));
        text = comma == std::string_view::npos ? std::string_view() : text.substr(comma + 1);
        const auto equals = entry.find('=');
        if (equals == std::string_view::npos || !startsWithCom(entry.substr(0, equals))) {
            return badEntry(entry, "is not COM<number>=<device path>");
        }
        const std::optional<std::int64_t> number = text::parseInteger(entry.substr(3, equals - 3));
        if (!number || *number < 1 || *number > kMaxComNumber) {
            return badEntry(entry, "has no port number from 1 to " + std::to_string(kMaxComNumber));
        }
        const std::string_view path = entry.substr(equals + 1);
        if (!path.starts_with('/')) {
            return badEntry(entry, "has no absolute device path");
        }
        if (!map.m_devices.emplace(static_cast<int>(*number), std::string(path)).second) {
            return badEntry(entry, "names a port that was already given");
        }
    }
    return map;
}

PortMap PortMap::enumerate(const std::filesystem::path& classTty, const std::filesystem::path& devFolder)
{
    std::vector<std::tuple<int, std::string, std::uint64_t, std::string>> ports;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(classTty, error)) {
        if (const std::optional<int> kind = portKind(entry.path())) {
            const std::string name = entry.path().filename().string();
            auto [prefix, number] = splitNumber(name);
            ports.emplace_back(*kind, std::move(prefix), number, name);
        }
    }
    std::sort(ports.begin(), ports.end());
    PortMap map;
    for (const auto& port : ports) {
        if (map.m_devices.size() == static_cast<std::size_t>(kMaxComNumber)) {
            break;
        }
        map.m_devices.emplace(static_cast<int>(map.m_devices.size()) + 1, (devFolder / std::get<3>(port)).string());
    }
    return map;
}

Result<std::string> PortMap::devicePath(int comNumber) const
{
    if (comNumber < 1 || comNumber > kMaxComNumber) {
        return Error{E_INVALIDARG,
                     "COM" + std::to_string(comNumber) + " is outside COM1 to COM" + std::to_string(kMaxComNumber)};
    }
    const auto found = m_devices.find(comNumber);
    if (found == m_devices.end()) {
        return Error{kPortNotFound, "COM" + std::to_string(comNumber) + ": no such serial port"};
    }
    return found->second;
}

} // namespace platform::serial
