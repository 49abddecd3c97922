#pragma once

#include "talvodesk/core/options/StringTable.h"

#include "platform/com/HResult.h"
#include "platform/com/Types.h"
#include "platform/lang/LanguageChoice.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform::registry {
class Key;
}

namespace talvodesk {

using platform::lang::kDefaultHelpFile;
using platform::lang::LanguageFiles;
inline constexpr LCID kEnglishUnitedStates = platform::lang::kEnglishUnitedStates;

/// The entry for the locale's primary language (Chinese also by its sublanguage); nothing for English and for
/// languages without one.
inline std::optional<LanguageFiles> LanguageFilesOf(LCID lcid)
{
    return platform::lang::languageFilesOf(lcid);
}

/// What the whole process shares: the user-interface language with its string table and help file, the
/// right-to-left flag and the server's shut-down times. Language libraries are string-table files
/// "<library>.lang" in the language folder; English is built in. Owner thread only (the main thread).
class CTalvoAppModule {
public:
    /// What Init reads from outside, so tests can give their own.
    struct Environment {
        /// The settings root, or nothing when it cannot be had.
        const platform::registry::Key* settingsRoot = nullptr;
        /// The user's locale, used when "Locale" is missing.
        LCID threadLocale = kEnglishUnitedStates;
        std::filesystem::path languageFolder;
        std::filesystem::path helpFolder;
    };

    /// The environment of the running program: the settings root is opened by the caller; the thread locale is
    /// the user's; language and help files are in the installed data folder.
    static Environment programEnvironment(const platform::registry::Key* settingsRoot);

    /// Chooses the language from "Locale" (else the thread locale) and loads its table; any locale without an
    /// entry or whose file cannot be loaded becomes 0x409 with the English table. Always S_OK: there is no COM
    /// module to initialise.
    HRESULT Init(const Environment& environment);
    /// Switches the language during the run with the same table and fallbacks as Init.
    void SetLanguage(LCID lcid, const Environment& environment);
    /// The frame's language command: nothing for the locale in force (true); false, with the language, help file and
    /// right-to-left flag kept as they were, when the locale's language file cannot be loaded.
    bool SwitchLanguage(LCID lcid, const Environment& environment);
    /// Writes m_lcid back as "Locale" and returns to the built-in English table. Failures are ignored.
    void Term(const platform::registry::Key* settingsRoot);

    /// The text of a string-table number in the current language, else in English, else empty.
    std::u16string_view LoadString(std::uint32_t id) const;
    /// The language id, the low 16 bits of m_lcid.
    std::uint16_t languageId() const { return static_cast<std::uint16_t>(m_lcid & 0xFFFF); }

    std::uint32_t m_serverTimeout = 5000;
    std::uint32_t m_serverPause = 1000;
    LCID m_lcid = kEnglishUnitedStates;
    bool m_bRTL = false;
    std::filesystem::path m_szHelpFile;

private:
    /// The loaded language's table; none while English is in force.
    std::optional<StringTable> m_language;
};

/// The module, or the built-in English for whoever is given none.
const CTalvoAppModule& ModuleOrEnglish(const CTalvoAppModule* module);

} // namespace talvodesk
