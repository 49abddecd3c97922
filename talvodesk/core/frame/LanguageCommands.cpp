#include "talvodesk/core/frame/LanguageCommands.h"

#include <array>

namespace talvodesk {

namespace {

constexpr std::array kMenu = {
    LanguageCommand{0x8029, 35200, 1033}, LanguageCommand{0x806C, 35201, 1025}, LanguageCommand{0x802C, 35202, 2052},
    LanguageCommand{0x807D, 35203, 1028}, LanguageCommand{0x8070, 35204, 1031}, LanguageCommand{0x806E, 35205, 1036},
    LanguageCommand{0x807C, 35206, 1038}, LanguageCommand{0x806F, 35207, 1040}, LanguageCommand{0x802B, 35208, 1041},
    LanguageCommand{0x802D, 35209, 1042}, LanguageCommand{0x807A, 35210, 1044}, LanguageCommand{0x8079, 35211, 1045},
    LanguageCommand{0x807B, 35212, 1046}, LanguageCommand{0x802A, 35213, 1049}, LanguageCommand{0x806D, 35214, 1034},
    LanguageCommand{0x807E, 35215, 1054}, LanguageCommand{0x8074, 35216, 1055}, LanguageCommand{0x8075, 35217, 1066},
};

constexpr LCID kDutch = 1043;
constexpr LCID kPrimaryMask = 0x3FF;
constexpr LCID kChinese = 0x04;

} // namespace

std::span<const LanguageCommand> LanguageMenu()
{
    return kMenu;
}

std::optional<LCID> LanguageCommandLocale(cmd::Id id)
{
    if (id == kDutchCommand) {
        return kDutch;
    }
    for (const LanguageCommand& item : kMenu) {
        if (item.id == id) {
            return item.locale;
        }
    }
    return std::nullopt;
}

bool IsLanguageChecked(LCID locale, LCID uiLocale)
{
    const LCID primary = locale & kPrimaryMask;
    if (primary != (uiLocale & kPrimaryMask)) {
        return false;
    }
    const auto sublanguage = [](LCID lcid) { return (lcid & 0xFFFF) >> 10; };
    return primary != kChinese || sublanguage(locale) == sublanguage(uiLocale);
}

} // namespace talvodesk
