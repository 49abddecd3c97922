#pragma once

#include "platform/com/ComPtr.h"
#include "platform/com/ConnectionPoint.h"

namespace talvodesk {

/// One sink advised on one outgoing interface of a source, unadvised when reset or destroyed. A source without
/// that interface, or one that refuses the sink, leaves it inactive. Owner thread of the source.
class EventSubscription {
public:
    EventSubscription() = default;
    EventSubscription(IUnknown* source, REFIID outgoing, IUnknown* sink);
    ~EventSubscription() { reset(); }
    EventSubscription(EventSubscription&& other) noexcept;
    EventSubscription& operator=(EventSubscription&& other) noexcept;
    EventSubscription(const EventSubscription&) = delete;
    EventSubscription& operator=(const EventSubscription&) = delete;

    void reset();

private:
    platform::com::ComPtr<IConnectionPoint> m_point;
    DWORD m_cookie = 0;
};

} // namespace talvodesk
