#include "platform/kernel/FolderWatch.h"

#include "platform/com/ErrorText.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <poll.h>
#include <string>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/vfs.h>
#include <unistd.h>
#include <utility>

namespace platform::kernel {

namespace {

constexpr std::uint32_t kWatchMask = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO | IN_MODIFY | IN_ATTRIB |
                                     IN_CLOSE_WRITE | IN_DELETE_SELF | IN_MOVE_SELF | IN_ONLYDIR;

// Superblock magic numbers of file systems whose changes may come from another machine.
constexpr std::array<long, 8> kNetworkFileSystems{
    0x6969,                        // NFS
    0x517B,                        // SMB
    static_cast<long>(0xFF534D42), // CIFS
    static_cast<long>(0xFE534D42), // SMB2
    0x5346414F,                    // AFS
    0x73757245,                    // Coda
    0x564C,                        // NCP
    0x01021997,                    // 9P
};

// Beyond this many changed folders the changes count as lost: a full look is then cheaper than keeping them.
constexpr std::size_t kMostChangedFolders = 4096;

/// `path` is `folder` or lies below it (both without a trailing separator).
bool isWithin(const std::filesystem::path& path, const std::filesystem::path& folder)
{
    const std::string& text = path.native();
    const std::string& prefix = folder.native();
    return text.starts_with(prefix) && (text.size() == prefix.size() || text[prefix.size()] == '/');
}

bool isNetworkFileSystem(const std::filesystem::path& folder)
{
    struct statfs status {};
    return ::statfs(folder.c_str(), &status) == 0 &&
           std::find(kNetworkFileSystems.begin(), kNetworkFileSystems.end(), static_cast<long>(status.f_type)) !=
               kNetworkFileSystems.end();
}

} // namespace

Result<std::unique_ptr<FolderWatch>> FolderWatch::create()
{
    const int stopFd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (stopFd < 0) {
        return Error{E_OUTOFMEMORY, std::string("cannot make a stop signal: ") + com::errorText(errno)};
    }
    const int inotifyFd = ::inotify_init1(IN_CLOEXEC | IN_NONBLOCK); // -1 leaves only stop and timeouts.
    return std::unique_ptr<FolderWatch>(new FolderWatch(inotifyFd, stopFd));
}

FolderWatch::~FolderWatch()
{
    if (m_inotifyFd >= 0) {
        ::close(m_inotifyFd);
    }
    ::close(m_stopFd);
}

Status FolderWatch::watch(const std::filesystem::path& folder)
{
    if (m_inotifyFd < 0) {
        return Error{E_NOTIMPL, "folder notifications are not available"};
    }
    if (isNetworkFileSystem(folder)) {
        return Error{E_NOTIMPL, folder.string() + " is on a network file system"};
    }
    if (const int watch = ::inotify_add_watch(m_inotifyFd, folder.c_str(), kWatchMask); watch >= 0) {
        // A folder that moved keeps its descriptor: it is known by its new path from now on.
        m_folders[watch] = folder;
        return {};
    }
    const int error = errno;
    const HRESULT code = error == ENOSPC || error == ENOMEM    ? STG_E_INSUFFICIENTMEMORY
                         : error == ENOENT || error == ENOTDIR ? STG_E_PATHNOTFOUND
                                                               : STG_E_ACCESSDENIED;
    return Error{code, "cannot watch " + folder.string() + ": " + com::errorText(error)};
}

void FolderWatch::unwatch(const std::filesystem::path& folder)
{
    for (auto at = m_folders.begin(); at != m_folders.end();) {
        if (isWithin(at->second, folder)) {
            ::inotify_rm_watch(m_inotifyFd, at->first);
            at = m_folders.erase(at);
        } else {
            ++at;
        }
    }
}

FolderWatch::Changes FolderWatch::takeChanges()
{
    return std::exchange(m_changes, Changes{});
}

FolderWatch::Wake FolderWatch::wait(Timeout timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + std::min(timeout, Timeout(std::chrono::hours(24)));
    for (;;) {
        if (stopRequested()) {
            return Wake::Stop;
        }
        int waitMs = -1;
        if (timeout != kWaitForever) {
            const auto left = std::chrono::duration_cast<Timeout>(deadline - std::chrono::steady_clock::now());
            waitMs = static_cast<int>(std::max<Timeout::rep>(0, left.count()));
        }
        std::array<pollfd, 2> fds{pollfd{m_stopFd, POLLIN, 0}, pollfd{m_inotifyFd, POLLIN, 0}};
        const int ready = ::poll(fds.data(), m_inotifyFd >= 0 ? 2 : 1, waitMs);
        if (ready < 0 && errno != EINTR) {
            return Wake::Stop; // Cannot wait at all: end rather than spin.
        }
        if (stopRequested()) {
            return Wake::Stop;
        }
        if (ready > 0 && (fds[1].revents & POLLIN) != 0 && drainEvents()) {
            return Wake::Change;
        }
        if (ready == 0 && waitMs >= 0) {
            return Wake::TimedOut;
        }
    }
}

bool FolderWatch::drainEvents()
{
    alignas(inotify_event) std::array<char, 16384> buffer;
    bool changed = false;
    for (;;) {
        const ssize_t length = ::read(m_inotifyFd, buffer.data(), buffer.size());
        if (length <= 0) {
            return changed;
        }
        for (ssize_t offset = 0; offset + static_cast<ssize_t>(sizeof(inotify_event)) <= length;) {
            inotify_event event{};
            std::memcpy(&event, buffer.data() + offset, sizeof event);
            const char* name = buffer.data() + offset + sizeof(inotify_event);
            note(event.wd, event.mask, std::string_view(name, ::strnlen(name, event.len)));
            changed = changed || (event.mask & ~IN_IGNORED) != 0;
            offset += static_cast<ssize_t>(sizeof(inotify_event) + event.len);
        }
    }
}

void FolderWatch::note(int watch, std::uint32_t mask, std::string_view name)
{
    if ((mask & IN_Q_OVERFLOW) != 0) {
        m_changes.overflowed = true;
        return;
    }
    const auto folder = m_folders.find(watch);
    if (folder == m_folders.end()) {
        return; // A watch already given up.
    }
    if ((mask & IN_IGNORED) != 0) {
        m_folders.erase(folder);
        return;
    }
    constexpr std::uint32_t kNamesChanged = IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;
    if ((mask & (IN_DELETE_SELF | IN_MOVE_SELF | IN_UNMOUNT)) != 0) {
        m_changes.trees.insert(folder->second);
    } else if (name.empty()) {
        return; // The folder's own times or rights.
    } else if ((mask & IN_ISDIR) == 0) {
        m_changes.folders.insert(folder->second);
    } else if ((mask & kNamesChanged) != 0) {
        m_changes.trees.insert(folder->second / name);
    }
    if (m_changes.folders.size() + m_changes.trees.size() > kMostChangedFolders) {
        m_changes = Changes{};
        m_changes.overflowed = true;
    }
}

void FolderWatch::stop()
{
    m_stopped.store(true);
    const std::uint64_t one = 1;
    // Fails only when the counter is already near its maximum, which leaves it readable all the same.
    [[maybe_unused]] const ssize_t written = ::write(m_stopFd, &one, sizeof one);
}

} // namespace platform::kernel
