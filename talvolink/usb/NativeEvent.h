#pragma once

#include "platform/kernel/Mutex.h"

#include <cstddef>
#include <functional>
#include <vector>

namespace talvolink {

/// A list of handlers that the raising thread calls in order (a device's reader thread). Hooking and unhooking may
/// come from another thread; a handler must not hook or unhook on the event it handles.
/// Thread rule: any thread.
template <typename... Args> class NativeEvent {
public:
    using Handler = std::function<void(Args...)>;
    using Cookie = std::size_t;

    Cookie hook(Handler handler)
    {
        platform::kernel::LockGuard lock(m_mutex);
        m_handlers.push_back({++m_lastCookie, std::move(handler)});
        return m_lastCookie;
    }

    void unhook(Cookie cookie)
    {
        platform::kernel::LockGuard lock(m_mutex);
        std::erase_if(m_handlers, [cookie](const auto& entry) { return entry.cookie == cookie; });
    }

    void raise(Args... args)
    {
        platform::kernel::LockGuard lock(m_mutex);
        for (const auto& entry : m_handlers) {
            entry.handler(args...);
        }
    }

private:
    struct Entry {
        Cookie cookie;
        Handler handler;
    };

    platform::kernel::Mutex m_mutex;
    std::vector<Entry> m_handlers TALVO_GUARDED_BY(m_mutex);
    Cookie m_lastCookie TALVO_GUARDED_BY(m_mutex) = 0;
};

} // namespace talvolink
