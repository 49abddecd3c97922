#include "talvodesk/core/options/AppModule.h"

#include "platform/fs/ProgramFolder.h"

#include "platform/registry/Key.h"
#include "platform/text/Locale.h"

#include <string>

namespace talvodesk {

CTalvoAppModule::Environment CTalvoAppModule::programEnvironment(const platform::registry::Key* settingsRoot)
{
    return Environment{settingsRoot, platform::text::userLocaleId(), platform::fs::dataFolder("lang"),
                       platform::fs::dataFolder("help")};
}

HRESULT CTalvoAppModule::Init(const Environment& environment)
{
    m_serverTimeout = 5000;
    m_serverPause = 1000;
    SetLanguage(platform::lang::chosenLocale(environment.settingsRoot, environment.threadLocale), environment);
    return S_OK;
}

void CTalvoAppModule::SetLanguage(LCID lcid, const Environment& environment)
{
    m_lcid = lcid;
    m_bRTL = false;
    m_language.reset();
    m_szHelpFile = environment.helpFolder / kDefaultHelpFile;
    if (platform::lang::isEnglish(lcid)) {
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
        (void)settingsRoot->setDword(u"Locale", m_lcid); // The next start simply begins in the thread locale.
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
