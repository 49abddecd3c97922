#include "talvodesk/core/frame/LanguageCommands.h"

#include <array>

namespace talvodesk {

namespace {

constexpr std::array kMenu = {
    LanguageCommand{0x8029, "English", 1033},
    LanguageCommand{0x806C, "Arabic", 1025},
    LanguageCommand{0x802C, "Chinese (Simplified)", 2052},
    LanguageCommand{0x807D, "Chinese (Traditional)", 1028},
    LanguageCommand{0x8070, "Deutsch", 1031},
    LanguageCommand{0x806E, "French", 1036},
    LanguageCommand{0x807C, "Hungarian", 1038},
    LanguageCommand{0x806F, "Italian", 1040},
    LanguageCommand{0x802B, "Japanese", 1041},
    LanguageCommand{0x802D, "Korean", 1042},
    LanguageCommand{0x807A, "Norwegian (Bokmal)", 1044},
    LanguageCommand{0x8079, "Polish", 1045},
    LanguageCommand{0x807B, "Portuguese (Brazil)", 1046},
    LanguageCommand{0x802A, "Russian", 1049},
    LanguageCommand{0x806D, "Spanish", 1034},
    LanguageCommand{0x807E, "Thai", 1054},
    LanguageCommand{0x8074, "Turkish", 1055},
    LanguageCommand{0x8075, "Vietnamese", 1066},
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
