#pragma once

#include "talvoshell/Catalog.h"
#include "talvowatch/CatalogServer.h"
#include "talvowatch/TrayModel.h"

#include <filesystem>
#include <memory>

namespace talvoshell::testsupport {

/// The real watcher over a real catalog folder, started by the catalog when it finds none, as the browser starts
/// it. Lives as long as the test's catalog.
struct RealWatcher {
    talvowatch::TrayModel tray;
    std::unique_ptr<talvowatch::CatalogServer> server;

    /// A catalog over the cache at `location` that starts this watcher over `catalogFolder`.
    std::shared_ptr<CCatalog> catalog(const catalogcache::CatalogLocation& location,
                                      const std::filesystem::path& catalogFolder, CCatalog::FailureReporter report)
    {
        return std::make_shared<CCatalog>(
            location,
            [this, location, catalogFolder] {
                auto started = talvowatch::CatalogServer::start(location, catalogFolder, tray, [](const auto&) {});
                if (!started) {
                    return false;
                }
                server = std::move(started).value();
                return true;
            },
            u"talvowatch", std::move(report));
    }
};

} // namespace talvoshell::testsupport
