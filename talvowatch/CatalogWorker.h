#pragma once

#include "talvowatch/ChangeSource.h"
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
/// or size (names beginning with "." are skipped). Between rescans it waits for folder changes, and once the
/// folder has been quiet for the settle period it looks again at only the folders that changed; the whole tree is
/// walked at start, after lost changes and, when changes cannot be watched, every minute. A catalog folder that is
/// missing is made at start; one that cannot be made, or goes away, is waited for. It alone writes records, each
/// under the guard's writer side.
/// Thread rule: the worker thread only.
class CatalogWorker {
public:
    /// `folder` is the catalog folder; its records count from the cache as it is.
    CatalogWorker(WorkerServices services, std::filesystem::path folder);

    /// Makes the catalog folder when it is missing, rescans, then waits for changes and rescans until stop is
    /// requested.
    void run();
    /// A full rescan; ends early when stop is requested.
    void rescan();
    /// Looks again at the folders and trees that `changes` name, or at everything when changes were lost or
    /// cannot be watched.
    void rescan(const ChangeSource::Changes& changes);

private:
    enum class Notify { No, Yes };
    enum class Depth { Files, Tree };
    /// A file the scan found, as its record will name it.
    struct ListedFile {
        std::string path; // Kept as text: most files are only compared, never opened.
        std::u16string recordPath;
        std::uint64_t fileTime;
        std::int32_t fileSize;
    };

    void makeFolder();
    /// Lists the files of `folder` (and, for a tree, of its subfolders depth first: a folder's files before its
    /// subfolders, each in name order), watching each folder of a tree it enters. False when `folder` cannot be
    /// read.
    bool listFolder(const std::filesystem::path& folder, const std::u16string& recordFolder, Depth depth,
                    std::vector<ListedFile>& files);
    /// A folder of the catalog that scans enter (no name in it begins with ".").
    bool isListedFolder(const std::filesystem::path& folder) const;
    /// Brings the records under `folder` (a folder of the catalog) in line with what it holds.
    void rescanFolder(const std::filesystem::path& folder, Depth depth);
    /// Drops those of the `known` records that are not listed (or lie outside the catalog), then indexes `files`.
    /// For Depth::Files only the records directly in `recordFolder` count.
    void update(const std::vector<std::size_t>& known, const std::u16string& recordFolder, Depth depth,
                const std::vector<ListedFile>& files);
    /// Watches the nearest folder above the missing catalog folder, to learn when it appears.
    void awaitFolder();
    void stopAwaiting();
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
    std::filesystem::path m_awaited; // Watched while the catalog folder is missing.
    bool m_periodic = false;         // Folder changes cannot be watched.
};

} // namespace talvowatch
