#include "talvodesk/app/CatalogFolder.h"

#include "talvodesk/core/options/AppModule.h"
#include "talvodesk/core/options/TextFormat.h"

#include "catalogcache/CatalogTexts.h"
#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IEventManager.h"
#include "platform/com/Bstr.h"
#include "platform/com/ClassTable.h"
#include "platform/shell/Computer.h"
#include "talvoshell/CatalogMonitor.h"
#include "talvoshell/TalvoFolder.h"

namespace talvodesk {

CatalogFolderRegistration::CatalogFolderRegistration(const CTalvoAppModule& module)
    : m_services(talvoshell::MakeCatalogServices(catalogcache::CatalogTexts::forUser()))
{
    m_services->text = [&module](std::uint32_t id) { return std::u16string(module.LoadString(id)); };
    talvoshell::RegisterCatalogFolder(m_services);
    m_firstRead.setInterval(talvoshell::CatalogMonitor::kPollMilliseconds);
    QObject::connect(&m_firstRead, &QTimer::timeout, [this] {
        if (m_services->catalog->TreeVersion() == 0) {
            return;
        }
        m_firstRead.stop();
        m_monitor = std::make_unique<talvoshell::CatalogMonitor>(m_services);
        m_monitor->Poll();
    });
    m_firstRead.start();
}

CatalogFolderRegistration::~CatalogFolderRegistration()
{
    platform::shell::UnregisterComputerFolder(talvoshell::kCatalogRootName);
}

std::unique_ptr<CatalogFolderRegistration> RegisterCatalogFolder(const CTalvoAppModule& module)
{
    return std::make_unique<CatalogFolderRegistration>(module);
}

CCatalogDlg::EventNamer CatalogEventNamer(const CTalvoAppModule& module)
{
    platform::com::ComPtr<IEventManager> manager;
    if (FAILED(CoCreateInstance(talvodata::CLSID_EventManager, nullptr, CLSCTX_ALL, IEventManager::kIid,
                                manager.putVoid()))) {
        return {};
    }
    return [manager, &module](const std::u16string& name) -> std::optional<std::u16string> {
        // The watcher names an event's folder by its name, or by its short name when it has none.
        const platform::com::Bstr wanted(name);
        platform::com::ComPtr<IEventParams> event;
        if (manager->Find(wanted.get(), event.put()) != S_OK &&
            manager->FindByShortName(wanted.get(), event.put()) != S_OK) {
            return std::nullopt;
        }
        std::u16string text;
        if (!event || !GetEventDisplayName(*event, module, text)) {
            return std::nullopt;
        }
        return text;
    };
}

} // namespace talvodesk
