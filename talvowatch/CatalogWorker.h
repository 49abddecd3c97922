#pragma once

#include "talvowatch/DocumentFolders.h"
#include "talvowatch/ShellNotifications.h"

#include "catalogcache/CatalogRecord.h"

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace catalogcache {
class CatalogCache;
}
namespace platform::kernel {
class SwmrgGuard;
}
namespace platform::time {
class Clock;
}

namespace talvowatch {

class ChangeSource;
class TrayModel;

/// The quiet time after the last folder change before the catalog is rescanned.
inline constexpr std::chrono::milliseconds kSettlePeriod{5000};
/// How often the catalog is rescanned when folder changes cannot be watched.
inline constexpr std::chrono::milliseconds kPeriodicRescan{60000};

/// What the worker works with; all outlive it.
struct WorkerServices {
    catalogcache::CatalogCache& cache;
    platform::kernel::SwmrgGuard& guard;
    ChangeSource& changes;
    TrayModel& tray;
    platform::time::Clock& clock;
    NotificationSink notify;
};

/// Keeps the catalog cache current with the catalog folder: a rescan drops the records of files that are gone or
/// lie outside the folder, then indexes, depth first, every file whose record is missing or differs in file time
/// or size (names beginning with "." are skipped). Between rescans it waits for folder changes, and rescans once
/// the folder has been quiet for the settle period. It alone writes records, each under the guard's writer side.
/// Thread rule: the worker thread only.
class CatalogWorker {
public:
    /// `folder` is the catalog folder; its records count from the cache as it is.
    CatalogWorker(WorkerServices services, std::filesystem::path folder);

    /// Rescans, then waits for changes and rescans until stop is requested.
    void run();
    /// One rescan; ends early when stop is requested.
    void rescan();

private:
    enum class Notify { No, Yes };
    /// A file the scan found, as its record will name it.
    struct ListedFile {
        std::filesystem::path path;
        std::u16string recordPath;
        std::uint64_t fileTime;
        std::int32_t fileSize;
    };

    /// Lists the files of `folder`'s tree depth first (a folder's files before its subfolders, each in name order)
    /// and watches each folder it enters.
    void listFolder(const std::filesystem::path& folder, const std::u16string& recordFolder,
                    std::vector<ListedFile>& files);
    void indexFile(const ListedFile& file);
    void removeRecord(std::size_t offset, const catalogcache::CatalogRecord& record, Notify notify);
    void appendRecord(const catalogcache::CatalogRecord& record);
    bool isInsideFolder(const std::u16string& path) const;
    void watch(const std::filesystem::path& folder);
    void send(const std::vector<ShellNotification>& notifications) const;

    WorkerServices m_services;
    std::filesystem::path m_folder;
    std::u16string m_folderPrefix; // The folder with its separator, as record paths begin.
    DocumentFolders m_folders;
    bool m_periodic = false; // Folder changes cannot be watched.
};

} // namespace talvowatch
