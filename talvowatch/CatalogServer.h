#pragma once

#include "talvowatch/ShellNotifications.h"

#include "catalogcache/CatalogLocation.h"
#include "platform/com/Result.h"

#include <filesystem>
#include <memory>

namespace talvowatch {

class TrayModel;

/// The running watcher: it holds the one-per-user instance lock, opens the generation page and the cache under
/// the guard's writer side, raises the ready flag and runs the worker thread; destroying it stops the worker at
/// once, lowers the flag and closes the cache under the writer side.
/// Thread rule: start and destroy on one thread.
class CatalogServer {
public:
    /// E_ACCESSDENIED with "another watcher runs" when the instance lock is taken; else the errors of opening the
    /// lock, the page, the guard, the cache or the worker thread.
    static platform::Result<std::unique_ptr<CatalogServer>> start(const catalogcache::CatalogLocation& location,
                                                                  const std::filesystem::path& catalogFolder,
                                                                  TrayModel& tray, NotificationSink notify);
    ~CatalogServer();
    CatalogServer(const CatalogServer&) = delete;
    CatalogServer& operator=(const CatalogServer&) = delete;

private:
    struct Parts;
    explicit CatalogServer(std::unique_ptr<Parts> parts);

    std::unique_ptr<Parts> m_parts;
};

} // namespace talvowatch
