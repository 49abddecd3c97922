#include "talvowatch/CatalogWorker.h"

#include "talvowatch/ChangeSource.h"
#include "talvowatch/PracticeSummary.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogCache.h"
#include "platform/com/Bstr.h"
#include "platform/kernel/SwmrgGuard.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <dirent.h>
#include <fcntl.h>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unordered_set>
#include <utility>
#include <vector>

namespace talvowatch {

using catalogcache::CatalogCache;
using catalogcache::CatalogRecord;
using catalogcache::RecordState;
using platform::com::utf16ToUtf8;
using platform::com::utf8ToUtf16;
using std::chrono::milliseconds;

namespace {

// Seconds from 1601-01-01 to 1970-01-01: file times count 100-nanosecond intervals from 1601.
constexpr std::int64_t kEpochDifference = 11644473600;

std::uint64_t fileTimeOf(const struct stat& status)
{
    const std::int64_t ticks = (status.st_mtim.tv_sec + kEpochDifference) * 10000000 + status.st_mtim.tv_nsec / 100;
    return static_cast<std::uint64_t>(std::max<std::int64_t>(0, ticks));
}

bool isRegularFile(const std::u16string& path)
{
    struct stat status {};
    return ::stat(utf16ToUtf8(path).c_str(), &status) == 0 && S_ISREG(status.st_mode);
}

/// A name the catalog lists: not hidden, and one that survives the trip through UTF-16 that records take.
bool isListedName(const std::string& name)
{
    return !name.starts_with(".") && utf16ToUtf8(utf8ToUtf16(name)) == name;
}

std::filesystem::path withoutTrailingSeparator(std::filesystem::path folder)
{
    folder = folder.lexically_normal();
    return folder.has_filename() ? folder : folder.parent_path();
}

} // namespace

CatalogWorker::CatalogWorker(WorkerServices services, std::filesystem::path folder)
    : m_services(std::move(services)), m_folder(withoutTrailingSeparator(std::move(folder))),
      m_folderPrefix(utf8ToUtf16((m_folder / "").string()))
{
    for (const std::size_t offset : m_services.cache.liveOffsets()) {
        const CatalogRecord record = m_services.cache.record(offset);
        if (record.state == RecordState::Document) {
            m_folders.add(record.event, record.shooter);
        }
    }
}

void CatalogWorker::run()
{
    rescan();
    std::optional<milliseconds> settled; // When the folder will have been quiet long enough.
    milliseconds lastRescan = m_services.clock.steadyNow();
    for (;;) {
        std::optional<milliseconds> due = settled;
        if (!due && m_periodic) {
            due = lastRescan + kPeriodicRescan;
        }
        const milliseconds now = m_services.clock.steadyNow();
        const platform::kernel::Timeout timeout =
            due ? std::max(milliseconds(0), *due - now) : platform::kernel::kWaitForever;
        switch (m_services.changes.wait(timeout)) {
        case ChangeSource::Wake::Stop:
            return;
        case ChangeSource::Wake::Change:
            m_services.tray.setIcon(TrayIcon::ChangeSeen);
            settled = m_services.clock.steadyNow() + kSettlePeriod;
            break;
        case ChangeSource::Wake::TimedOut:
            if (due && m_services.clock.steadyNow() >= *due) {
                settled.reset();
                rescan();
                lastRescan = m_services.clock.steadyNow();
            }
            break;
        }
    }
}

void CatalogWorker::rescan()
{
    m_services.tray.setCount(m_services.cache.header().liveDocuments);
    m_services.tray.setIcon(TrayIcon::Busy);
    std::vector<ListedFile> files;
    listFolder(m_folder, m_folderPrefix, files);
    std::unordered_set<std::u16string_view> listed;
    for (const ListedFile& file : files) {
        listed.insert(file.recordPath);
    }
    // The live records as they are now: deleting some while walking must not end the walk early.
    for (const std::size_t offset : m_services.cache.liveOffsets()) {
        if (m_services.changes.stopRequested()) {
            return;
        }
        // The listing has just found most files; any other is looked for by its exact path. Records of an earlier
        // catalog folder go too, or its practices would stay listed for ever.
        const std::u16string path = m_services.cache.path(offset);
        if (!isInsideFolder(path) || (!listed.contains(path) && !isRegularFile(path))) {
            removeRecord(offset, m_services.cache.record(offset), Notify::Yes);
        }
    }
    for (const ListedFile& file : files) {
        if (m_services.changes.stopRequested()) {
            return;
        }
        indexFile(file);
    }
    m_services.tray.setIcon(TrayIcon::Idle);
}

void CatalogWorker::listFolder(const std::filesystem::path& folder, const std::u16string& recordFolder,
                               std::vector<ListedFile>& files)
{
    watch(folder);
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.c_str()), ::closedir);
    if (!entries) {
        return;
    }
    const int folderFd = ::dirfd(entries.get());
    std::vector<ListedFile> found;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(entries.get())) {
        if (m_services.changes.stopRequested()) {
            return;
        }
        const std::string name = entry->d_name;
        if (!isListedName(name)) {
            continue;
        }
        struct stat status {};
        const bool isFolder =
            entry->d_type == DT_UNKNOWN
                ? ::fstatat(folderFd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode)
                : entry->d_type == DT_DIR;
        if (isFolder) {
            folders.push_back(name);
        } else if (::fstatat(folderFd, entry->d_name, &status, 0) == 0 && S_ISREG(status.st_mode)) {
            found.push_back(ListedFile{folder / name, recordFolder + utf8ToUtf16(name), fileTimeOf(status),
                                       static_cast<std::int32_t>(static_cast<std::uint32_t>(status.st_size))});
        }
    }
    // Name order, so that a scan is the same on every run. The files share their folder, so their whole paths sort
    // as their names do, without the component-wise comparison of paths.
    std::sort(found.begin(), found.end(),
              [](const ListedFile& a, const ListedFile& b) { return a.path.native() < b.path.native(); });
    std::move(found.begin(), found.end(), std::back_inserter(files));
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : folders) {
        listFolder(folder / name, recordFolder + utf8ToUtf16(name) + u"/", files);
    }
}

void CatalogWorker::indexFile(const ListedFile& file)
{
    if (const auto offset = m_services.cache.find(file.recordPath)) {
        const CatalogRecord known = m_services.cache.record(*offset);
        if (known.fileTime == file.fileTime && known.fileSize == file.fileSize) {
            return;
        }
        removeRecord(*offset, known, Notify::No);
    }
    CatalogRecord record = summarisePractice(file.path);
    record.path = file.recordPath;
    record.fileTime = file.fileTime;
    record.fileSize = file.fileSize;
    appendRecord(record);
}

void CatalogWorker::removeRecord(std::size_t offset, const CatalogRecord& record, Notify notify)
{
    const FolderCounts before = m_folders.counts(record.event, record.shooter);
    {
        const platform::kernel::WriteLock lock(m_services.guard);
        m_services.cache.remove(offset);
    }
    if (record.state != RecordState::Document) {
        return;
    }
    m_folders.remove(record.event, record.shooter);
    m_services.tray.setCount(m_services.cache.header().liveDocuments);
    if (notify == Notify::Yes) {
        send(deletionNotifications(before, record));
    }
}

void CatalogWorker::appendRecord(const CatalogRecord& record)
{
    const FolderCounts before = m_folders.counts(record.event, record.shooter);
    CatalogCache::Append appended{};
    {
        const platform::kernel::WriteLock lock(m_services.guard);
        appended = m_services.cache.append(record);
    }
    if (appended == CatalogCache::Append::Dropped) {
        // Without a record the file is tried again at the next rescan.
        (void)platform::reportFailure(
            platform::Error{STG_E_MEDIUMFULL, "the catalog cache cannot grow: " + utf16ToUtf8(record.path)});
        return;
    }
    if (record.fileVersion < 1) {
        return;
    }
    m_folders.add(record.event, record.shooter);
    m_services.tray.setCount(m_services.cache.header().liveDocuments);
    send(appendNotifications(before, record));
}

bool CatalogWorker::isInsideFolder(const std::u16string& path) const
{
    return path.starts_with(m_folderPrefix);
}

void CatalogWorker::watch(const std::filesystem::path& folder)
{
    if (m_periodic) {
        return;
    }
    if (const platform::Status watched = m_services.changes.watchFolder(folder); !watched) {
        (void)platform::reportFailure(watched.error());
        m_periodic = true;
        m_services.tray.setPeriodicRescan(true);
    }
}

void CatalogWorker::send(const std::vector<ShellNotification>& notifications) const
{
    if (!m_services.notify) {
        return;
    }
    for (const ShellNotification& notification : notifications) {
        m_services.notify(notification);
    }
}

} // namespace talvowatch
