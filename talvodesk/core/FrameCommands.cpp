#include "talvodesk/core/FrameCommands.h"

#include "talvodesk/core/CommandState.h"
#include "talvodesk/core/Options.h"

#include <system_error>

namespace talvodesk {

namespace {

constexpr std::uint32_t kBiathlonTraceSeconds = 15;
constexpr std::int32_t kCurrentFileVersion = 10;

} // namespace

TraceTimes DeviceTraceTimes(const COptions& options, std::int32_t eventCode)
{
    if (eventCode == kBiathlonEventCode) {
        return {kBiathlonTraceSeconds, kBiathlonTraceSeconds};
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
