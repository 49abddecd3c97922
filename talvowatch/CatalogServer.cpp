#include "talvowatch/CatalogServer.h"

#include "talvowatch/CatalogWorker.h"
#include "talvowatch/ChangeSource.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogCache.h"
#include "catalogcache/GenerationPage.h"
#include "platform/kernel/FileLock.h"
#include "platform/kernel/SwmrgGuard.h"
#include "platform/time/Clock.h"

#include <optional>
#include <system_error>
#include <thread>

namespace talvowatch {

using catalogcache::CatalogCache;
using catalogcache::GenerationPage;
using platform::Error;
using platform::kernel::FileLock;
using platform::kernel::SwmrgGuard;

namespace {

constexpr platform::kernel::Timeout kInstanceLockWait{500};

} // namespace

struct CatalogServer::Parts {
    Parts(FileLock instanceLock, GenerationPage page, std::unique_ptr<SwmrgGuard> writerGuard,
          std::unique_ptr<platform::kernel::FolderWatch> watch)
        : instance(std::move(instanceLock)), generation(std::move(page)), guard(std::move(writerGuard)),
          changes(std::make_unique<FolderWatchSource>(std::move(watch)))
    {
    }

    FileLock instance;
    GenerationPage generation;
    std::unique_ptr<SwmrgGuard> guard;
    std::unique_ptr<CatalogCache> cache;
    std::unique_ptr<FolderWatchSource> changes;
    platform::time::SystemClock clock;
    std::optional<CatalogWorker> worker;
    std::thread thread;
};

platform::Result<std::unique_ptr<CatalogServer>> CatalogServer::start(const catalogcache::CatalogLocation& location,
                                                                      const std::filesystem::path& catalogFolder,
                                                                      TrayModel& tray, NotificationSink notify)
{
    auto instance = FileLock::open(location.instanceLock());
    if (!instance) {
        return instance.error();
    }
    // A reader that checks whether a watcher runs holds the lock for a moment only.
    if (!instance->lock(platform::kernel::LockMode::Exclusive, kInstanceLockWait)) {
        return Error{E_ACCESSDENIED, "another watcher runs"};
    }
    auto generation = GenerationPage::create(location.generationPage());
    if (!generation) {
        return generation.error();
    }
    auto guard = SwmrgGuard::CreateGuard(location.runtimeFolder, catalogcache::kGuardName);
    if (!guard) {
        return guard.error();
    }
    auto watch = platform::kernel::FolderWatch::create();
    if (!watch) {
        return watch.error();
    }
    auto parts = std::make_unique<Parts>(std::move(instance).value(), std::move(generation).value(),
                                         std::move(guard).value(), std::move(watch).value());
    {
        const platform::kernel::WriteLock lock(*parts->guard);
        auto cache = CatalogCache::open(location.cacheFile, parts->generation);
        if (!cache) {
            return cache.error();
        }
        parts->cache = std::move(cache).value();
    }
    parts->generation.setReady(true);
    parts->worker.emplace(
        WorkerServices{*parts->cache, *parts->guard, *parts->changes, tray, parts->clock, std::move(notify)},
        catalogFolder);
    std::unique_ptr<CatalogServer> server(new CatalogServer(std::move(parts)));
    try {
        server->m_parts->thread = std::thread([worker = &*server->m_parts->worker] { worker->run(); });
    } catch (const std::system_error& error) {
        return Error{E_OUTOFMEMORY, std::string("cannot start the catalog worker: ") + error.what()};
    }
    return server;
}

CatalogServer::CatalogServer(std::unique_ptr<Parts> parts) : m_parts(std::move(parts)) {}

CatalogServer::~CatalogServer()
{
    m_parts->changes->stop();
    if (m_parts->thread.joinable()) {
        m_parts->thread.join();
    }
    m_parts->generation.setReady(false);
    const platform::kernel::WriteLock lock(*m_parts->guard);
    m_parts->cache.reset();
}

} // namespace talvowatch
