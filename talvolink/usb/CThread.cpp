#include "talvolink/usb/CThread.h"

namespace talvolink {

bool CThread::Start()
{
    if (m_thread != nullptr) {
        return false;
    }
    auto started = platform::kernel::Thread::start([this](platform::kernel::Event& stop) { Run(stop); });
    if (!started) {
        return false;
    }
    m_thread = std::move(started.value());
    return true;
}

void CThread::Stop()
{
    if (m_thread == nullptr) {
        return;
    }
    m_thread->requestStop();
    WakeRun();
    m_thread.reset();
}

} // namespace talvolink
