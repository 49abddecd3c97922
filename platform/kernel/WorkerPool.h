#pragma once

#include "platform/kernel/Mutex.h"
#include "platform/kernel/Thread.h"
#include "platform/kernel/ThreadSafety.h"

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace platform::kernel {

/// Threads that run a batch of independent jobs together with the thread that hands them over, which returns when
/// every job has run. Between batches the workers sleep; destroying the pool wakes and joins them.
/// Thread rule: run() from any thread, one batch at a time (later callers wait); create and destroy on one thread.
class WorkerPool {
public:
    using Job = std::function<void()>;

    /// A pool of `threads` in all, the caller of run() among them, so 1 starts no thread. Fewer when the system
    /// cannot start them all.
    explicit WorkerPool(std::size_t threads);
    ~WorkerPool();
    WorkerPool(const WorkerPool&) = delete;
    WorkerPool& operator=(const WorkerPool&) = delete;

    /// The pool the program shares: as many threads as processors this process may run on, at most 8.
    static WorkerPool& shared();

    std::size_t threads() const { return m_workers.size() + 1; }
    /// Runs every job once, in no particular order and on any of the threads; returns when all have returned.
    void run(std::span<const Job> jobs);

private:
    /// Runs jobs of the current batch until none is left.
    void work() TALVO_REQUIRES(m_mutex);

    std::vector<std::unique_ptr<Thread>> m_workers;
    Mutex m_batchMutex;
    Mutex m_mutex;
    std::condition_variable_any m_changed;
    std::span<const Job> m_jobs TALVO_GUARDED_BY(m_mutex);
    std::size_t m_next TALVO_GUARDED_BY(m_mutex) = 0;
    std::size_t m_running TALVO_GUARDED_BY(m_mutex) = 0;
    unsigned m_batch TALVO_GUARDED_BY(m_mutex) = 0;
    bool m_stopping TALVO_GUARDED_BY(m_mutex) = false;
};

} // namespace platform::kernel
