#pragma once

#include "platform/kernel/Event.h"

#include "platform/com/Result.h"

#include <functional>
#include <memory>
#include <thread>

namespace platform::kernel {

/// A worker thread with its own manual-reset stop event. Destroying the Thread sets the stop event and waits for
/// the body to return, so the body must watch the event (wait on it instead of sleeping) and must never wait on the
/// thread that destroys it.
/// Thread rule: start and destroy on the owning thread; requestStop() from any thread.
class Thread {
public:
    using Body = std::function<void(Event& stopEvent)>;

    /// Starts body on a new thread. E_OUTOFMEMORY when the system cannot create one.
    [[nodiscard]] static Result<std::unique_ptr<Thread>> start(Body body);

    ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    void requestStop() { m_stopEvent->set(); }
    bool isCurrentThread() const { return std::this_thread::get_id() == m_thread.get_id(); }

private:
    Thread() = default;

    // Shared with the running body, which keeps its stop event even if its Thread is (wrongly) destroyed on the
    // thread itself and has to be detached.
    std::shared_ptr<Event> m_stopEvent = std::make_shared<Event>(EventReset::Manual);
    std::thread m_thread;
};

} // namespace platform::kernel
