#include "talvodesk/core/frame/MenuTrimming.h"

#include <algorithm>
#include <array>

namespace talvodesk {

namespace {

constexpr std::array kExpertOnly = {
    cmd::OpenModel,        cmd::CloseModel,         cmd::DeleteAllShots,   cmd::ReplayAll,
    cmd::ViewCoordination, cmd::ViewShift,          cmd::ViewSpeed,        cmd::ViewIntervals,
    cmd::ViewProbability,  cmd::ViewToolbar,        cmd::ViewStatusBar,    cmd::Series,
    cmd::DisplayAllTraces, cmd::DisplayHiddenShots, cmd::DisplaySightings, cmd::ShotsParameters,
};

} // namespace

bool IsExpertOnlyMenuItem(cmd::Id id)
{
    return std::find(kExpertOnly.begin(), kExpertOnly.end(), id) != kExpertOnly.end();
}

std::vector<std::size_t> TrimmedPopup(std::span<const cmd::Id> items)
{
    std::vector<std::size_t> kept;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!IsExpertOnlyMenuItem(items[i])) {
            kept.push_back(i);
        }
    }
    const auto isSeparator = [&](std::size_t position) { return items[kept[position]] == kSeparatorItem; };
    std::vector<std::size_t> result;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        const bool atTop = result.empty();
        const bool beforeSeparator = i + 1 < kept.size() && isSeparator(i + 1);
        if (isSeparator(i) && (atTop || beforeSeparator)) {
            continue;
        }
        result.push_back(kept[i]);
    }
    if (!result.empty() && items[result.back()] == kSeparatorItem) {
        result.pop_back();
    }
    return result;
}

} // namespace talvodesk
