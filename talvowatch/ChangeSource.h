#pragma once

#include "platform/com/Result.h"
#include "platform/kernel/FolderWatch.h"

#include <filesystem>
#include <memory>

namespace talvowatch {

/// Where the worker learns of folder changes and of the request to stop: every wait of the worker goes through
/// wait(), so a stop wakes it at once.
/// Thread rule: the worker thread; stopRequested() any thread.
class ChangeSource {
public:
    using Wake = platform::kernel::FolderWatch::Wake;
    using Changes = platform::kernel::FolderWatch::Changes;

    virtual ~ChangeSource() = default;
    /// Starts reporting changes in `folder` (not its subfolders). A failure means changes cannot be watched.
    virtual platform::Status watchFolder(const std::filesystem::path& folder) = 0;
    /// Stops reporting changes in `folder` and every folder below it.
    virtual void unwatchFolder(const std::filesystem::path& folder) = 0;
    virtual Wake wait(platform::kernel::Timeout timeout) = 0;
    /// What the waits so far have seen change, since the last call.
    virtual Changes takeChanges() = 0;
    virtual bool stopRequested() const = 0;
};

/// The system's source: inotify through platform::kernel::FolderWatch.
class FolderWatchSource final : public ChangeSource {
public:
    explicit FolderWatchSource(std::unique_ptr<platform::kernel::FolderWatch> watch) : m_watch(std::move(watch)) {}

    platform::Status watchFolder(const std::filesystem::path& folder) override { return m_watch->watch(folder); }
    void unwatchFolder(const std::filesystem::path& folder) override { m_watch->unwatch(folder); }
    Wake wait(platform::kernel::Timeout timeout) override { return m_watch->wait(timeout); }
    Changes takeChanges() override { return m_watch->takeChanges(); }
    bool stopRequested() const override { return m_watch->stopRequested(); }
    void stop() { m_watch->stop(); }

private:
    std::unique_ptr<platform::kernel::FolderWatch> m_watch;
};

} // namespace talvowatch
