#pragma once

#include "platform/kernel/Timeout.h"

#include "platform/com/Result.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <set>
#include <string_view>
#include <unordered_map>

namespace platform::kernel {

/// Reports changes to a set of folders (names created, deleted or moved; files written or touched) through
/// inotify, and wakes its waiter at once when asked to stop. inotify is not recursive: every folder of a tree
/// is added on its own. A lost-event overflow counts as a change.
/// Thread rule: one waiting thread, which also watches and takes the changes; stop() and stopRequested() from any
/// thread.
class FolderWatch {
public:
    enum class Wake { Change, TimedOut, Stop };

    /// What changed, named by the paths the folders were watched under.
    struct Changes {
        /// Events were lost (the kernel's queue overflowed, or too many folders changed to keep): anything may
        /// have changed.
        bool overflowed = false;
        /// Watched folders some of whose files were created, deleted, moved, written or touched.
        std::set<std::filesystem::path> folders;
        /// Folders created, deleted or moved in or out of a watched folder, and watched folders that went away:
        /// whole trees whose contents are unknown.
        std::set<std::filesystem::path> trees;
    };

    /// Fails only when the stop signal cannot be made (E_OUTOFMEMORY). A watch that cannot use inotify at all
    /// still waits and stops; its watch() calls fail.
    static Result<std::unique_ptr<FolderWatch>> create();
    ~FolderWatch();
    FolderWatch(const FolderWatch&) = delete;
    FolderWatch& operator=(const FolderWatch&) = delete;

    /// Adds a folder (adding one twice is harmless). E_NOTIMPL when inotify is unavailable or the folder lies on a
    /// network file system (whose remote changes inotify never sees); STG_E_INSUFFICIENTMEMORY at the user's
    /// watch limit; STG_E_PATHNOTFOUND or STG_E_ACCESSDENIED for the folder itself.
    Status watch(const std::filesystem::path& folder);

    /// Stops watching `folder` and every watched folder below it.
    void unwatch(const std::filesystem::path& folder);

    /// Waits for a change, the timeout (kWaitForever: none) or stop. Every change queued so far is consumed, so a
    /// burst wakes once. Stop wins over a change and stays set.
    Wake wait(Timeout timeout);
    /// The changes consumed since the last call.
    Changes takeChanges();

    void stop();
    bool stopRequested() const { return m_stopped.load(); }

private:
    FolderWatch(int inotifyFd, int stopFd) : m_inotifyFd(inotifyFd), m_stopFd(stopFd) {}
    /// True when any event but a removed watch's farewell was read.
    bool drainEvents();
    void note(int watch, std::uint32_t mask, std::string_view name);

    const int m_inotifyFd;
    const int m_stopFd;
    std::atomic<bool> m_stopped{false};
    std::unordered_map<int, std::filesystem::path> m_folders; // By watch descriptor.
    Changes m_changes;
};

} // namespace platform::kernel
