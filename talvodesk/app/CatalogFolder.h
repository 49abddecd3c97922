#pragma once

#include "talvodesk/app/CatalogDlg.h"

#include <QTimer>

#include <memory>

namespace talvoshell {
struct CatalogServices;
class CatalogMonitor;
} // namespace talvoshell

namespace talvodesk {

class CTalvoAppModule;

/// The catalog's shell folder inside the program, as the catalog browser lists it: "Talvo Catalog" under the
/// computer folder, over the catalog at its usual place, the watcher started beside the programs when none runs.
/// Once something has read the catalog, its changes are announced to the windows that listen (the open dialog
/// refreshes on them). Its lists and menus speak the module's current language. Listed for as long as the object
/// lives. Thread rule: the user-interface thread.
class CatalogFolderRegistration {
public:
    explicit CatalogFolderRegistration(const CTalvoAppModule& module);
    ~CatalogFolderRegistration();
    CatalogFolderRegistration(const CatalogFolderRegistration&) = delete;
    CatalogFolderRegistration& operator=(const CatalogFolderRegistration&) = delete;

private:
    std::shared_ptr<talvoshell::CatalogServices> m_services;
    /// Waits for the first read of the catalog: before it nobody listens, and the watcher is started by that
    /// read, not by the program's start.
    QTimer m_firstRead;
    std::unique_ptr<talvoshell::CatalogMonitor> m_monitor;
};

/// Lists the catalog under the computer folder for the program's dialogs.
std::unique_ptr<CatalogFolderRegistration> RegisterCatalogFolder(const CTalvoAppModule& module);

/// The open dialog's names of event folders: the event of that name (or short name) as lists show it, in the
/// module's language; none for a folder that names no known event.
CCatalogDlg::EventNamer CatalogEventNamer(const CTalvoAppModule& module);

} // namespace talvodesk
