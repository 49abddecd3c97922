#include "talvodesk/core/options/AppModule.h"

#include "talvodesk/core/program/ProgramFolder.h"

#include "platform/registry/Key.h"
#include "platform/text/Locale.h"

#include <array>
#include <string>

namespace talvodesk {

namespace {

constexpr std::u16string_view kLocaleValue = u"Locale";
constexpr LCID kPrimaryLanguageMask = 0x3FF;
constexpr LCID kEnglish = 9;
constexpr LCID kChinese = 4;

struct LanguageEntry {
    LCID primaryLanguage;
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

std::optional<LanguageFiles> LanguageFilesOf(LCID lcid)
{
    const LCID primary = lcid & kPrimaryLanguageMask;
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

CTalvoAppModule::Environment CTalvoAppModule::programEnvironment(const platform::registry::Key* settingsRoot)
{
    return Environment{settingsRoot, platform::text::userLocaleId(), DataFolder("lang"), DataFolder("help")};
}

HRESULT CTalvoAppModule::Init(const Environment& environment)
{
    m_serverTimeout = 5000;
    m_serverPause = 1000;
    LCID lcid = environment.threadLocale;
    if (environment.settingsRoot) {
        if (const auto stored = environment.settingsRoot->dword(kLocaleValue)) {
            lcid = *stored;
        }
    }
    SetLanguage(lcid, environment);
    return S_OK;
}

void CTalvoAppModule::SetLanguage(LCID lcid, const Environment& environment)
{
    m_lcid = lcid;
    m_bRTL = false;
    m_language.reset();
    m_szHelpFile = environment.helpFolder / kDefaultHelpFile;
    if ((lcid & kPrimaryLanguageMask) == kEnglish) {
        return;
    }
    const std::optional<LanguageFiles> files = LanguageFilesOf(lcid);
    if (files) {
        auto table = StringTable::load(environment.languageFolder / (std::string(files->library) + ".lang"));
        if (table) {
            m_language = std::move(*table);
            m_szHelpFile = environment.helpFolder / files->helpFile;
            m_bRTL = files->rightToLeft;
            return;
        }
    }
    m_lcid = kEnglishUnitedStates;
}

bool CTalvoAppModule::SwitchLanguage(LCID lcid, const Environment& environment)
{
    if (lcid == m_lcid) {
        return true;
    }
    CTalvoAppModule switched;
    switched.SetLanguage(lcid, environment);
    if (switched.m_lcid != lcid) {
        return false;
    }
    m_lcid = lcid;
    m_bRTL = switched.m_bRTL;
    m_szHelpFile = std::move(switched.m_szHelpFile);
    m_language = std::move(switched.m_language);
    return true;
}

void CTalvoAppModule::Term(const platform::registry::Key* settingsRoot)
{
    if (settingsRoot) {
        (void)settingsRoot->setDword(kLocaleValue, m_lcid); // The next start simply begins in the thread locale.
    }
    m_language.reset();
}

const CTalvoAppModule& ModuleOrEnglish(const CTalvoAppModule* module)
{
    static const CTalvoAppModule s_english;
    return module != nullptr ? *module : s_english;
}

std::u16string_view CTalvoAppModule::LoadString(std::uint32_t id) const
{
    if (m_language) {
        if (const std::u16string* text = m_language->find(id)) {
            return *text;
        }
    }
    return StringTable::englishText(id);
}

} // namespace talvodesk
