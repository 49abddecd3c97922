#pragma once

#include "platform/kernel/FileLock.h"

#include <condition_variable>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string_view>

namespace platform::kernel {

/// A single-writer/many-readers guard shared by the processes that open it by one name: a writer waits until no
/// reader is inside and keeps every reader out until it is done. It rests on a FileLock, so a process that dies
/// inside (even holding the reader side) releases it. Threads of one process share one guard: it orders them
/// itself and holds the file lock shared once for all of the process's readers. A side may be released on
/// another thread than the one that took it.
/// Thread rule: any thread.
class SwmrgGuard {
public:
    /// Creates or opens the guard named `suffix` in `folder` (a lock file of that name).
    static Result<std::unique_ptr<SwmrgGuard>> CreateGuard(const std::filesystem::path& folder,
                                                           std::string_view suffix);
    SwmrgGuard(const SwmrgGuard&) = delete;
    SwmrgGuard& operator=(const SwmrgGuard&) = delete;
    /// CloseGuard: the caller holds neither side any more.
    ~SwmrgGuard() = default;

    /// False when the timeout ran out first; the caller then holds nothing.
    [[nodiscard]] bool WaitToWrite(Timeout timeout);
    void DoneWriting();
    [[nodiscard]] bool WaitToRead(Timeout timeout);
    void DoneReading();

private:
    explicit SwmrgGuard(FileLock file) : m_file(std::move(file)) {}

    std::mutex m_mutex; // Guards the two counts; held while the first reader takes the file lock.
    std::condition_variable m_changed;
    bool m_writing = false; // Set from a writer's turn until DoneWriting.
    int m_readers = 0;
    FileLock m_file;
};

/// Holds the writer side for its scope, waiting as long as it takes.
class WriteLock {
public:
    explicit WriteLock(SwmrgGuard& guard) : m_guard(guard) { (void)m_guard.WaitToWrite(kWaitForever); }
    ~WriteLock() { m_guard.DoneWriting(); }
    WriteLock(const WriteLock&) = delete;
    WriteLock& operator=(const WriteLock&) = delete;

private:
    SwmrgGuard& m_guard;
};

/// Holds the reader side for its scope, waiting as long as it takes.
class ReadLock {
public:
    explicit ReadLock(SwmrgGuard& guard) : m_guard(guard) { (void)m_guard.WaitToRead(kWaitForever); }
    ~ReadLock() { m_guard.DoneReading(); }
    ReadLock(const ReadLock&) = delete;
    ReadLock& operator=(const ReadLock&) = delete;

private:
    SwmrgGuard& m_guard;
};

} // namespace platform::kernel
