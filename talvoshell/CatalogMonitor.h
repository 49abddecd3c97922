#pragma once

#include "platform/shell/ItemIdList.h"
#include "talvoshell/CatalogServices.h"

#include <QObject>
#include <QTimer>

#include <memory>
#include <vector>

namespace talvoshell {

/// Announces changes of the catalog to the shell's listeners: every second it makes the tree current and, when
/// it was rebuilt, tells of an updated folder for the root and each event and shooter folder, and of a removed
/// folder for each one the tree lost.
/// Thread rule: the user-interface thread.
class CatalogMonitor : public QObject {
public:
    static constexpr int kPollMilliseconds = 1000;

    explicit CatalogMonitor(std::shared_ptr<const CatalogServices> services, QObject* parent = nullptr);

    /// One poll, as the timer does it.
    void Poll();

private:
    std::shared_ptr<const CatalogServices> m_services;
    std::uint64_t m_treeVersion = 0;
    /// The folders of the tree last announced.
    std::vector<platform::shell::ItemIdPtr> m_folders;
    QTimer m_timer;
};

/// The services of the running program: the catalog at its usual place, the watcher started beside the programs
/// when none runs, programs started as child processes, questions and failures shown in message boxes, the
/// system's locale, the catalog folder of the settings and the texts.
std::shared_ptr<CatalogServices> MakeCatalogServices(const catalogcache::CatalogTexts& texts);

} // namespace talvoshell
