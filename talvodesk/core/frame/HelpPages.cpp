#include "talvodesk/core/frame/HelpPages.h"

#include "talvodesk/core/frame/LanguageCommands.h"

#include <algorithm>
#include <system_error>
#include <utility>
#include <vector>

namespace talvodesk {

namespace {

using namespace cmd;

constexpr std::string_view kPractice = "practice.html";
constexpr std::string_view kRange = "range-commands.html";
constexpr std::string_view kCatalog = "catalog.html";
constexpr std::string_view kPrinting = "printing.html";
constexpr std::string_view kSeries = "series.html";
constexpr std::string_view kTrace = "trace.html";
constexpr std::string_view kWindow = "window.html";
constexpr std::string_view kOptions = "options.html";

// The one map from command to page.
constexpr std::pair<Id, std::string_view> kPageOfCommand[] = {
    {StartPractice, kPractice},
    {StopPractice, kPractice},
    {Match, kPractice},
    {ResetTraceTarget, kPractice},
    {Prone, kPractice},
    {Standing, kPractice},
    {Kneeling, kPractice},
    {ResetHardware, kPractice},
    {Continue, kRange},
    {AdjustSensor, "calibration.html"},
    {FileOpen, kCatalog},
    {FileSave, kCatalog},
    {OpenModel, kCatalog},
    {CloseModel, kCatalog},
    {SendMail, kCatalog},
    {SendToFolder, kCatalog},
    {Print, kPrinting},
    {PrintPreview, kPrinting},
    {PrintSetup, kPrinting},
    {PreviewNextPage, kPrinting},
    {PreviewPreviousPage, kPrinting},
    {PreviewClose, kPrinting},
    {ShotPrint, kPrinting},
    {PrintTarget, kPrinting},
    {HideShot, kSeries},
    {DeleteSightingShots, kSeries},
    {DeleteAllShots, kSeries},
    {ShotList, kSeries},
    {Series, kSeries},
    {DisplaySightings, kSeries},
    {DisplayAllTraces, kSeries},
    {DisplayHiddenShots, kSeries},
    {Replay, kTrace},
    {ReplayAll, kTrace},
    {ViewTrace, kTrace},
    {ViewInfo, "info.html"},
    {ViewDistance, "distance.html"},
    {ViewCoordination, "coordination.html"},
    {ViewShift, "shift.html"},
    {ViewSpeed, "speed.html"},
    {ViewIntervals, "intervals.html"},
    {ViewProbability, "probability.html"},
    {ViewToolbar, kWindow},
    {ViewStatusBar, kWindow},
    {FullScreen, kWindow},
    {ExpertMode, kWindow},
    {ClosePane, kWindow},
    {Options, kOptions},
    {ShotsParameters, kOptions},
    {Sound, kOptions},
    {LanguagePlaceholder, kOptions},
    {Help, kHelpHomePage},
    {WebPage, kHelpHomePage},
    {About, kHelpHomePage},
    {Exit, kHelpHomePage},
};

} // namespace

std::optional<std::string_view> HelpPageOf(cmd::Id id)
{
    if (LanguageCommandLocale(id)) {
        return kOptions;
    }
    const auto found = std::find_if(std::begin(kPageOfCommand), std::end(kPageOfCommand),
                                    [id](const auto& entry) { return entry.first == id; });
    return found == std::end(kPageOfCommand) ? std::nullopt : std::optional(found->second);
}

std::span<const std::string_view> HelpPages()
{
    static const std::vector<std::string_view> s_pages = [] {
        std::vector<std::string_view> pages;
        for (const auto& [id, page] : kPageOfCommand) {
            if (std::find(pages.begin(), pages.end(), page) == pages.end()) {
                pages.push_back(page);
            }
        }
        return pages;
    }();
    return s_pages;
}

std::optional<std::filesystem::path> HelpTopicPage(std::span<const std::filesystem::path> guides, std::uint32_t topic)
{
    const std::optional<std::string_view> own = HelpPageOf(static_cast<cmd::Id>(topic));
    std::error_code error;
    for (const std::filesystem::path& guide : guides) {
        for (const std::string_view name : {own.value_or(kHelpHomePage), kHelpHomePage}) {
            const auto page = guide / name;
            if (std::filesystem::is_regular_file(page, error)) {
                return page;
            }
        }
    }
    return std::nullopt;
}

} // namespace talvodesk
