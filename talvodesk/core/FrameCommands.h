#pragma once

#include "platform/com/HResult.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace talvodesk {

class COptions;

/// The event code of an event's short name: 2 the biathlon event, 4..11 the events with range commands, else 1.
long EventCodeOf(std::u16string_view shortName);

/// How many seconds of trace the device keeps before and after a shot: the options' values, 5 both ways for the
/// biathlon event and 15 both ways for the rapid-fire and turning-target events (codes 7..11). Practice start and
/// the options command both take them from here, so a change of options during a practice follows the same rule.
struct TraceTimes {
    std::uint32_t beforeShot = 0;
    std::uint32_t afterShot = 0;
    friend bool operator==(const TraceTimes&, const TraceTimes&) = default;
};
TraceTimes DeviceTraceTimes(const COptions& options, std::int32_t eventCode);

inline constexpr std::u16string_view kNoConnectionText = u"Unable to establish connection with TALVO device.";

/// The message for a "Reset hardware" whose reconnection failed: the device's own error text, else the text of a
/// lost connection; nothing when it succeeded.
std::optional<std::u16string> ResetHardwareFailure(HRESULT reconnect, std::u16string_view deviceError);

/// Mailing a practice: the document is saved first when it is modified or its file is of a version below 10.
bool MailNeedsSave(bool modified, std::int32_t fileVersion);
/// The mail program's arguments, one element each, never joined into a shell line.
std::vector<std::string> MailArguments(const std::filesystem::path& attachment);
/// The mail program's exit codes 0 (sent), 1 (cancelled) and 3 (no account) stay silent; any other gives the
/// failure text.
std::optional<std::u16string_view> MailResultMessage(int exitCode);

/// The page of a help topic in the help folder: "<topic>.html" when present, else "index.html"; nothing when the
/// folder holds neither.
std::optional<std::filesystem::path> HelpTopicPage(const std::filesystem::path& helpFolder, std::uint32_t topic);
/// The arguments that open a page or folder in the desktop's browser.
std::vector<std::string> OpenInBrowserArguments(const std::filesystem::path& page);

} // namespace talvodesk
