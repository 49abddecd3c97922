#pragma once

#include "talvodesk/core/frame/CommandIds.h"

#include "platform/com/Types.h"

#include <cstdint>
#include <optional>
#include <span>

namespace talvodesk {

/// A command of the Language menu: its identifier, the string-table number of its menu text and the locale it
/// switches to.
struct LanguageCommand {
    cmd::Id id;
    std::uint32_t text;
    LCID locale;
};

/// The items that replace the Language menu's placeholder, in menu order; the first is English, followed by a
/// separator. Dutch has a command but no item: it is reached only through a stored locale.
std::span<const LanguageCommand> LanguageMenu();
/// The locale of any of the nineteen language commands, Dutch included.
std::optional<LCID> LanguageCommandLocale(cmd::Id id);
/// Whether the item of `locale` carries the check while `uiLocale` is in force: same primary language, and for
/// Chinese also the same sublanguage.
bool IsLanguageChecked(LCID locale, LCID uiLocale);

inline constexpr cmd::Id kDutchCommand = 0x8071;

} // namespace talvodesk
