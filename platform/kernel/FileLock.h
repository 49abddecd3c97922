#pragma once

#include "platform/kernel/Timeout.h"

#include "platform/com/Result.h"

#include <filesystem>

namespace platform::kernel {

enum class LockMode { Shared, Exclusive };

/// An advisory lock on a file (flock), shared between processes. The kernel drops it when the process that holds
/// it dies, so a crashed holder never blocks the others. Locks belong to this object's own open file: two
/// FileLocks in one process exclude each other like two processes do.
/// Thread rule: one thread at a time (callers serialise; SwmrgGuard does).
class FileLock {
public:
    /// Opens the lock file, creating it (owner read and write only) when missing.
    /// Errors: the storage codes of the open (STG_E_PATHNOTFOUND, STG_E_ACCESSDENIED, ...).
    static Result<FileLock> open(const std::filesystem::path& path);

    FileLock(FileLock&& other) noexcept;
    FileLock& operator=(FileLock&& other) noexcept;
    FileLock(const FileLock&) = delete;
    FileLock& operator=(const FileLock&) = delete;
    ~FileLock();

    /// Takes the lock within `timeout` (0 only tries); false when another holder kept it that long. Taking it
    /// again in the other mode converts the lock held.
    [[nodiscard]] bool lock(LockMode mode, Timeout timeout);
    void unlock();

private:
    explicit FileLock(int fd) : m_fd(fd) {}

    int m_fd = -1;
};

} // namespace platform::kernel
