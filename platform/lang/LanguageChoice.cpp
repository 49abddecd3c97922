#include "platform/lang/LanguageChoice.h"

#include "platform/fs/ProgramFolder.h"
#include "platform/registry/Key.h"
#include "platform/text/Locale.h"

#include <array>
#include <string>

namespace platform::lang {

namespace {

constexpr std::uint32_t kPrimaryLanguageMask = 0x3FF;
constexpr std::uint32_t kEnglish = 9;
constexpr std::uint32_t kChinese = 4;

struct LanguageEntry {
    std::uint32_t primaryLanguage;
    LanguageFiles files;
};

constexpr std::array<LanguageEntry, 16> kLanguages{{
    {1, {"talvoara", kDefaultHelpFile, true}},
    {7, {"talvodeu", "talvodeu.chm"}},
    {10, {"talvoesp", kDefaultHelpFile}},
    {12, {"talvofra", kDefaultHelpFile}},
    {14, {"talvohun", kDefaultHelpFile}},
    {16, {"talvoita", kDefaultHelpFile}},
    {17, {"talvojpn", kDefaultHelpFile}},
    {18, {"talvokor", kDefaultHelpFile}},
    {19, {"talvonl", kDefaultHelpFile}},
    {20, {"talvonor", kDefaultHelpFile}},
    {21, {"talvopol", kDefaultHelpFile}},
    {22, {"talvobra", kDefaultHelpFile}},
    {25, {"talvorus", "talvorus.chm"}},
    {30, {"talvotha", kDefaultHelpFile}},
    {31, {"talvotrk", "talvotrk.chm"}},
    {42, {"talvovit", "talvovit.chm"}},
}};

} // namespace

std::optional<LanguageFiles> languageFilesOf(std::uint32_t lcid)
{
    const std::uint32_t primary = lcid & kPrimaryLanguageMask;
    if (primary == kChinese) {
        switch ((lcid & 0xFFFF) >> 10) {
        case 1:
            return LanguageFiles{"talvocht", kDefaultHelpFile};
        case 2:
            return LanguageFiles{"talvochs", kDefaultHelpFile};
        default:
            return std::nullopt;
        }
    }
    for (const LanguageEntry& entry : kLanguages) {
        if (entry.primaryLanguage == primary) {
            return entry.files;
        }
    }
    return std::nullopt;
}

bool isEnglish(std::uint32_t lcid)
{
    return (lcid & kPrimaryLanguageMask) == kEnglish;
}

std::uint32_t chosenLocale(const registry::Key* settingsRoot, std::uint32_t threadLocale)
{
    if (settingsRoot) {
        if (const auto stored = settingsRoot->dword(u"Locale")) {
            return *stored;
        }
    }
    return threadLocale;
}

std::optional<LanguageTable> loadLanguage(std::uint32_t lcid, const std::filesystem::path& folder)
{
    const std::optional<LanguageFiles> files = isEnglish(lcid) ? std::nullopt : languageFilesOf(lcid);
    if (!files) {
        return std::nullopt;
    }
    auto table = LanguageTable::load(folder / (std::string(files->library) + ".lang"));
    if (!table) {
        return std::nullopt;
    }
    return std::move(*table);
}

std::optional<LanguageTable> loadUserLanguage()
{
    const auto root = registry::Key::open(registry::Hive::CurrentUser, kSettingsKey);
    const std::uint32_t lcid = chosenLocale(root ? &*root : nullptr, text::userLocaleId());
    return loadLanguage(lcid, fs::dataFolder("lang"));
}

} // namespace platform::lang
