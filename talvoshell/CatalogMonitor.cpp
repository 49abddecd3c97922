#include "talvoshell/CatalogMonitor.h"

#include "catalogcache/CatalogReader.h"
#include "platform/shell/ChangeNotify.h"
#include "platform/shell/Computer.h"
#include "talvodata/CatalogPath.h"
#include "talvoshell/TalvoFolder.h"

#include <QMessageBox>

#include <algorithm>

#include <chrono>
#include <thread>

namespace talvoshell {

using namespace platform::shell;

namespace {

constexpr auto kWatcherWait = std::chrono::milliseconds(60000);

void collectFolders(const TreeList& level, LPCITEMIDLIST parent, std::vector<ItemIdPtr>& folders)
{
    for (const auto& node : level) {
        if (!node->isFolder) {
            continue;
        }
        ItemIdPtr item(MakeCatalogItem(1, node->name));
        folders.emplace_back(ILCombine(parent, item.get()));
        LPCITEMIDLIST list = folders.back().get();
        collectFolders(node->children, list, folders);
    }
}

QString text(const std::u16string& value)
{
    return QString::fromStdU16String(value);
}

} // namespace

CatalogMonitor::CatalogMonitor(std::shared_ptr<const CatalogServices> services, QObject* parent)
    : QObject(parent), m_services(std::move(services))
{
    connect(&m_timer, &QTimer::timeout, this, &CatalogMonitor::Poll);
    m_timer.start(kPollMilliseconds);
}

void CatalogMonitor::Poll()
{
    CCatalog& catalog = *m_services->catalog;
    catalog.Refresh();
    const std::uint64_t version = catalog.TreeVersion();
    if (version == m_treeVersion) {
        return;
    }
    m_treeVersion = version;
    ItemIdPtr item(MakeCatalogItem(1, kCatalogRootName));
    std::vector<ItemIdPtr> folders;
    folders.emplace_back(ILCombine(ComputerIdList().get(), item.get()));
    {
        auto guard = catalog.Lock();
        collectFolders(catalog.Head(), folders.front().get(), folders);
    }
    // A folder whose last practice went is gone from the tree, but a view may still show it: it hears of it too.
    for (ItemIdPtr& shown : m_folders) {
        const bool kept = std::any_of(folders.begin(), folders.end(), [&shown](const ItemIdPtr& folder) {
            return ILIsEqual(folder.get(), shown.get());
        });
        if (!kept) {
            SHChangeNotify(SHCNE_RMDIR, shown.get());
        }
    }
    // Listeners refill from the tree: they are told with the catalog's lock released.
    for (const ItemIdPtr& folder : folders) {
        SHChangeNotify(SHCNE_UPDATEDIR, folder.get());
    }
    m_folders = std::move(folders);
}

std::shared_ptr<CatalogServices> MakeCatalogServices(const catalogcache::CatalogTexts& texts)
{
    auto services = std::make_shared<CatalogServices>();
    services->launcher = std::make_shared<SpawnLauncher>();
    const std::string watcher = ProgramPath("talvowatch").string();
    auto location = catalogcache::defaultCatalogLocation();
    catalogcache::CatalogLocation where = location ? location.value() : catalogcache::CatalogLocation{};
    std::shared_ptr<Launcher> launcher = services->launcher;
    auto startWatcher = [launcher, watcher, where] {
        if (!launcher->Start({watcher})) {
            return false;
        }
        const auto until = std::chrono::steady_clock::now() + kWatcherWait;
        while (!catalogcache::CatalogReader::isWatcherReady(where)) {
            if (std::chrono::steady_clock::now() > until) {
                return false;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return true;
    };
    auto report = [](const std::u16string& message, const std::u16string& caption) {
        QMessageBox::warning(nullptr, text(caption), text(message));
    };
    services->catalog =
        std::make_shared<CCatalog>(where, startWatcher, platform::com::utf8ToUtf16(watcher), report, texts);
    services->text = [texts](std::uint32_t id) { return texts.text(id); };
    services->confirm = [](HWND owner, const std::u16string& question, const std::u16string& caption) {
        return QMessageBox::question(owner, text(caption), text(question), QMessageBox::Yes | QMessageBox::No) ==
               QMessageBox::Yes;
    };
    services->locale = QLocale::system();
    services->catalogFolder = talvodata::catalogPath();
    return services;
}

} // namespace talvoshell
