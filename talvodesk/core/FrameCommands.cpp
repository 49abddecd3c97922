#include "talvodesk/core/FrameCommands.h"

#include "talvodesk/core/CommandState.h"
#include "talvodesk/core/Options.h"

#include <array>
#include <system_error>
#include <utility>

namespace talvodesk {

namespace {

constexpr std::uint32_t kBiathlonTraceSeconds = 5;
// The rapid-fire and turning-target events keep whole series around a shot.
constexpr std::uint32_t kSeriesTraceSeconds = 15;
constexpr std::int32_t kFirstSeriesEventCode = 7;
constexpr std::int32_t kLastSeriesEventCode = 11;
constexpr std::int32_t kCurrentFileVersion = 10;

} // namespace

long EventCodeOf(std::u16string_view shortName)
{
    static constexpr std::array<std::pair<std::u16string_view, long>, 12> kCodes{{
        {u"BTLN", 2},
        {u"SP1", 4},
        {u"SP2", 5},
        {u"SPF", 6},
        {u"N4TL3", 7},
        {u"N4TL15", 8},
        {u"MRF-22-10", 9},
        {u"MRF-32-10", 9},
        {u"MRF-22-8", 10},
        {u"MRF-32-8", 10},
        {u"MRF-22-6", 11},
        {u"MRF-32-6", 11},
    }};
    for (const auto& [name, code] : kCodes) {
        if (name == shortName) {
            return code;
        }
    }
    return 1;
}

TraceTimes DeviceTraceTimes(const COptions& options, std::int32_t eventCode)
{
    if (eventCode == kBiathlonEventCode) {
        return {kBiathlonTraceSeconds, kBiathlonTraceSeconds};
    }
    if (eventCode >= kFirstSeriesEventCode && eventCode <= kLastSeriesEventCode) {
        return {kSeriesTraceSeconds, kSeriesTraceSeconds};
    }
    return {options.saveSecBeforeShot, options.saveSecAfterShot};
}

std::optional<std::u16string> ResetHardwareFailure(HRESULT reconnect, std::u16string_view deviceError)
{
    if (SUCCEEDED(reconnect)) {
        return std::nullopt;
    }
    return std::u16string(deviceError.empty() ? kNoConnectionText : deviceError);
}

bool MailNeedsSave(bool modified, std::int32_t fileVersion)
{
    return modified || fileVersion < kCurrentFileVersion;
}

std::vector<std::string> MailArguments(const std::filesystem::path& attachment)
{
    return {"xdg-email", "--attach", attachment.string()};
}

std::optional<std::u16string_view> MailResultMessage(int exitCode)
{
    if (exitCode == 0 || exitCode == 1 || exitCode == 3) {
        return std::nullopt;
    }
    return u"Send Mail failed to send message.";
}

std::optional<std::filesystem::path> HelpTopicPage(const std::filesystem::path& helpFolder, std::uint32_t topic)
{
    std::error_code error;
    for (const auto& name : {std::to_string(topic) + ".html", std::string("index.html")}) {
        const auto page = helpFolder / name;
        if (std::filesystem::is_regular_file(page, error)) {
            return page;
        }
    }
    return std::nullopt;
}

std::vector<std::string> OpenInBrowserArguments(const std::filesystem::path& page)
{
    return {"xdg-open", page.string()};
}

} // namespace talvodesk
