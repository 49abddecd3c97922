#pragma once

#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/TalvoOptionsTree.h"

#include "platform/ui/QtText.h"

#include <QString>

#include <cstdint>

namespace talvodesk {

/// The buttons' texts of dialogs and message boxes.
inline constexpr std::uint32_t kOkText = 36000;
inline constexpr std::uint32_t kCancelText = 36001;
inline constexpr std::uint32_t kYesText = 36002;
inline constexpr std::uint32_t kNoText = 36003;
inline constexpr std::uint32_t kCloseText = 35010;

/// A string-table text in the module's language, as the widgets take it.
inline QString ResText(const CTalvoAppModule& module, std::uint32_t id)
{
    return platform::ui::qtext(module.LoadString(id));
}

/// The module's texts for whoever looks them up by number; the module outlives the lookup.
inline TextLookup ModuleTexts(const CTalvoAppModule& module)
{
    return [&module](std::uint32_t id) { return module.LoadString(id); };
}

} // namespace talvodesk
