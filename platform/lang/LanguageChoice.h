#pragma once

#include "platform/lang/LanguageTable.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>

namespace platform::registry {
class Key;
}

namespace platform::lang {

/// A language's entry: the language file's stem ("talvodeu"), the help file and whether the language reads right
/// to left.
struct LanguageFiles {
    std::string_view library;
    std::string_view helpFile;
    bool rightToLeft = false;
};

inline constexpr std::uint32_t kEnglishUnitedStates = 0x409;
inline constexpr std::string_view kDefaultHelpFile = "talvodesk.chm";
/// The product's settings root in the current user's hive; its "Locale" names the language the user chose.
inline constexpr std::u16string_view kSettingsKey = u"software\\Talvo\\Talvo Professional";

/// The entry for the locale's primary language (Chinese also by its sublanguage); nothing for English and for
/// languages without one.
std::optional<LanguageFiles> languageFilesOf(std::uint32_t lcid);
/// Whether the locale's primary language is English, which is built into every program.
bool isEnglish(std::uint32_t lcid);
/// "Locale" under the settings root when it is there, else the thread locale.
std::uint32_t chosenLocale(const registry::Key* settingsRoot, std::uint32_t threadLocale);
/// The language file of the locale in the folder, read as a table; nothing for English, for a locale without an
/// entry and for a file that cannot be read.
std::optional<LanguageTable> loadLanguage(std::uint32_t lcid, const std::filesystem::path& folder);
/// The table of the language the user chose for the product ("Locale" under the settings root, else the thread
/// locale), from the installed language folder; nothing where English is in force.
std::optional<LanguageTable> loadUserLanguage();

} // namespace platform::lang
