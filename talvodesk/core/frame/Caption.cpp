#include "talvodesk/core/frame/Caption.h"

#include "talvodesk/core/frame/CommandTable.h"

namespace talvodesk {

std::u16string FormatCaption(const CaptionInputs& in)
{
    if (!in.documentValid) {
        return std::u16string(in.title);
    }
    std::u16string caption(in.shooterName.empty() ? in.untitled : in.shooterName);
    if (!in.eventShortName.empty()) {
        caption.append(u" - ").append(in.eventShortName);
    }
    if (!in.firstMatchShotTime.empty()) {
        caption.append(u" - ").append(in.firstMatchShotTime);
    }
    if (in.modified) {
        caption += u'*';
    }
    const bool live = in.device && in.sinceLastData < std::chrono::milliseconds(1000);
    caption.append(live ? u" + " : u" - ").append(in.title);
    return caption;
}

std::u16string_view ShotListCaption(bool seriesMode,
                                    const std::function<std::u16string_view(std::uint32_t)>& loadString)
{
    constexpr std::size_t kLongestTitle = 79;
    return loadString(FindCommand(seriesMode ? cmd::Series : cmd::ShotList)->text).substr(0, kLongestTitle);
}

} // namespace talvodesk
