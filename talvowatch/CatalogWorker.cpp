#include "talvowatch/CatalogWorker.h"

#include "talvowatch/ChangeSource.h"
#include "talvowatch/PracticeSummary.h"
#include "talvowatch/TrayModel.h"

#include "catalogcache/CatalogCache.h"
#include "catalogcache/CatalogEnglish.h"
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

/// `path` is `folder` or lies below it.
bool isWithin(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    return std::mismatch(folder.begin(), folder.end(), path.begin(), path.end()).first == folder.end();
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
    makeFolder();
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
                if (settled) {
                    rescan(m_services.changes.takeChanges());
                } else {
                    rescan();
                }
                settled.reset();
                lastRescan = m_services.clock.steadyNow();
            }
            break;
        }
    }
}

void CatalogWorker::makeFolder()
{
    std::error_code error;
    if (std::filesystem::create_directories(m_folder, error) || !error) {
        return;
    }
    std::string text = utf16ToUtf8(m_services.tray.texts().format(
        catalogcache::kFolderProblemText, {utf8ToUtf16(m_folder.string()), utf8ToUtf16(error.message())}));
    (void)platform::reportFailure(platform::Error{STG_E_PATHNOTFOUND, text});
    m_services.tray.setProblem(std::move(text));
}

void CatalogWorker::rescan()
{
    m_services.tray.setCount(m_services.cache.header().liveDocuments);
    m_services.tray.setIcon(TrayIcon::Busy);
    std::error_code error;
    if (std::filesystem::is_directory(m_folder, error)) {
        stopAwaiting(); // Before the walk watches the folder's tree, which lies below the awaited folder.
    }
    std::vector<ListedFile> files;
    if (listFolder(m_folder, m_folderPrefix, Depth::Tree, files)) {
        m_services.tray.setProblem({});
    } else {
        m_services.changes.unwatchFolder(m_folder); // Its folders may live on elsewhere.
        awaitFolder();
    }
    // The live records as they are now: deleting some while walking must not end the walk early.
    update(m_services.cache.liveOffsets(), m_folderPrefix, Depth::Tree, files);
    if (!m_services.changes.stopRequested()) {
        m_services.tray.setIcon(TrayIcon::Idle);
    }
}

void CatalogWorker::rescan(const ChangeSource::Changes& changes)
{
    if (changes.overflowed || m_periodic || !m_awaited.empty() || changes.trees.contains(m_folder)) {
        rescan();
        return;
    }
    m_services.tray.setCount(m_services.cache.header().liveDocuments);
    m_services.tray.setIcon(TrayIcon::Busy);
    // The set lists a folder right before the folders below it: only the outermost trees are walked.
    std::vector<std::filesystem::path> trees;
    for (const std::filesystem::path& tree : changes.trees) {
        if ((trees.empty() || !isWithin(tree, trees.back())) && isListedFolder(tree)) {
            trees.push_back(tree);
        }
    }
    for (const std::filesystem::path& tree : trees) {
        rescanFolder(tree, Depth::Tree);
    }
    for (const std::filesystem::path& folder : changes.folders) {
        const bool walked =
            std::any_of(trees.begin(), trees.end(), [&](const auto& tree) { return isWithin(folder, tree); });
        if (!walked && isListedFolder(folder)) {
            rescanFolder(folder, Depth::Files);
        }
    }
    if (!m_services.changes.stopRequested()) {
        m_services.tray.setIcon(TrayIcon::Idle);
    }
}

bool CatalogWorker::isListedFolder(const std::filesystem::path& folder) const
{
    if (!isWithin(folder, m_folder)) {
        return false;
    }
    const std::filesystem::path inside = folder.lexically_relative(m_folder);
    return std::all_of(inside.begin(), inside.end(),
                       [](const std::filesystem::path& name) { return name == "." || isListedName(name.string()); });
}

void CatalogWorker::rescanFolder(const std::filesystem::path& folder, Depth depth)
{
    const std::u16string recordFolder = utf8ToUtf16((folder / "").string());
    std::vector<ListedFile> files;
    if (!listFolder(folder, recordFolder, depth, files) && depth == Depth::Tree) {
        m_services.changes.unwatchFolder(folder); // It may live on outside the catalog.
    }
    update(m_services.cache.liveUnder(recordFolder), recordFolder, depth, files);
}

void CatalogWorker::update(const std::vector<std::size_t>& known, const std::u16string& recordFolder, Depth depth,
                           const std::vector<ListedFile>& files)
{
    std::unordered_set<std::u16string_view> listed;
    for (const ListedFile& file : files) {
        listed.insert(file.recordPath);
    }
    for (const std::size_t offset : known) {
        if (m_services.changes.stopRequested()) {
            return;
        }
        // The listing has just found most files; any other is looked for by its exact path. Records of an earlier
        // catalog folder go too, or its practices would stay listed for ever.
        const std::u16string path = m_services.cache.path(offset);
        if (depth == Depth::Files && path.find(u'/', recordFolder.size()) != std::u16string::npos) {
            continue; // In a subfolder.
        }
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
}

void CatalogWorker::awaitFolder()
{
    if (m_periodic) {
        return; // The periodic rescan finds the folder.
    }
    std::filesystem::path above = m_folder.parent_path();
    std::error_code error;
    while (!std::filesystem::is_directory(above, error) && above.has_relative_path()) {
        above = above.parent_path();
    }
    if (above == m_awaited) {
        return;
    }
    stopAwaiting();
    m_awaited = above;
    watch(m_awaited);
}

void CatalogWorker::stopAwaiting()
{
    if (!m_awaited.empty()) {
        m_services.changes.unwatchFolder(m_awaited);
        m_awaited.clear();
    }
}

bool CatalogWorker::listFolder(const std::filesystem::path& folder, const std::u16string& recordFolder, Depth depth,
                               std::vector<ListedFile>& files)
{
    if (depth == Depth::Tree) {
        watch(folder); // Before listing, so that no change after the listing goes unseen.
    }
    const std::unique_ptr<DIR, int (*)(DIR*)> entries(::opendir(folder.c_str()), ::closedir);
    if (!entries) {
        return false;
    }
    const int folderFd = ::dirfd(entries.get());
    std::vector<ListedFile> found;
    std::vector<std::string> folders;
    while (const dirent* entry = ::readdir(entries.get())) {
        if (m_services.changes.stopRequested()) {
            return true;
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
            found.push_back(ListedFile{folder.native() + "/" + name, recordFolder + utf8ToUtf16(name),
                                       fileTimeOf(status),
                                       static_cast<std::int32_t>(static_cast<std::uint32_t>(status.st_size))});
        }
    }
    // Name order, so that a scan is the same on every run. The files share their folder, so their whole paths sort
    // as their names do, without the component-wise comparison of paths.
    std::sort(found.begin(), found.end(), [](const ListedFile& a, const ListedFile& b) { return a.path < b.path; });
    std::move(found.begin(), found.end(), std::back_inserter(files));
    if (depth == Depth::Files) {
        return true;
    }
    std::sort(folders.begin(), folders.end());
    for (const std::string& name : folders) {
        listFolder(folder / name, recordFolder + utf8ToUtf16(name) + u"/", Depth::Tree, files);
    }
    return true;
}

void CatalogWorker::indexFile(const ListedFile& file)
{
    if (const auto offset = m_services.cache.find(file.recordPath)) {
        if (m_services.cache.stamp(*offset) == catalogcache::FileStamp{file.fileTime, file.fileSize}) {
            return;
        }
        removeRecord(*offset, m_services.cache.record(*offset), Notify::No);
    }
    CatalogRecord record = summarisePractice(std::filesystem::path(file.path));
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
        if (watched.code() == STG_E_PATHNOTFOUND) {
            return; // The folder went away: whoever lists it finds that.
        }
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
