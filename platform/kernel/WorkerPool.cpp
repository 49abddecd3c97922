#include "platform/kernel/WorkerPool.h"

#include <sched.h>

#include <algorithm>

namespace platform::kernel {

namespace {

constexpr std::size_t kMostShared = 8;

std::size_t processorsAllowed()
{
    // The affinity mask, not the machine's count: a process pinned to some cores gains nothing from more threads.
    cpu_set_t set;
    CPU_ZERO(&set);
    if (sched_getaffinity(0, sizeof(set), &set) != 0) {
        return 1;
    }
    return static_cast<std::size_t>(std::max(1, CPU_COUNT(&set)));
}

} // namespace

WorkerPool::WorkerPool(std::size_t threads)
{
    for (std::size_t i = 1; i < threads; ++i) {
        auto worker = Thread::start([this](Event& /*stopEvent: the pool's own flag wakes its waits*/) {
            LockGuard guard(m_mutex);
            unsigned seen = 0; // A worker that starts late still joins the batch under way.
            for (;;) {
                m_changed.wait(m_mutex, [&]() TALVO_REQUIRES(m_mutex) { return m_stopping || m_batch != seen; });
                if (m_stopping) {
                    return;
                }
                seen = m_batch;
                work();
            }
        });
        if (!worker) {
            break; // The caller still runs every job.
        }
        m_workers.push_back(std::move(worker.value()));
    }
}

WorkerPool::~WorkerPool()
{
    {
        LockGuard guard(m_mutex);
        m_stopping = true;
    }
    m_changed.notify_all();
    m_workers.clear();
}

WorkerPool& WorkerPool::shared()
{
    static WorkerPool pool(std::min(processorsAllowed(), kMostShared));
    return pool;
}

void WorkerPool::run(std::span<const Job> jobs)
{
    LockGuard batch(m_batchMutex);
    LockGuard guard(m_mutex);
    m_jobs = jobs;
    m_next = 0;
    ++m_batch;
    m_changed.notify_all();
    work();
    // The last job may still run on a worker.
    m_changed.wait(m_mutex, [&]() TALVO_REQUIRES(m_mutex) { return m_running == 0; });
    m_jobs = {};
}

void WorkerPool::work()
{
    while (m_next < m_jobs.size()) {
        const Job& job = m_jobs[m_next++];
        ++m_running;
        m_mutex.unlock();
        job();
        m_mutex.lock();
        if (--m_running == 0 && m_next == m_jobs.size()) {
            m_changed.notify_all();
        }
    }
}

} // namespace platform::kernel
