#include "platform/kernel/Thread.h"

#include <cassert>
#include <string>
#include <system_error>

namespace platform::kernel {

Result<std::unique_ptr<Thread>> Thread::start(Body body)
{
    std::unique_ptr<Thread> thread(new Thread);
    try {
        thread->m_thread = std::thread([stopEvent = thread->m_stopEvent, body = std::move(body)] { body(*stopEvent); });
    } catch (const std::system_error& error) {
        return Error{E_OUTOFMEMORY, std::string("cannot start a thread: ") + error.what()};
    }
    return thread;
}

Thread::~Thread()
{
    requestStop();
    if (isCurrentThread()) {
        // Joining itself would deadlock.
        assert(false && "a Thread destroyed on its own thread");
        m_thread.detach();
        return;
    }
    m_thread.join();
}

} // namespace platform::kernel
