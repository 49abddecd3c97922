#include "talvodesk/core/events/EventSubscription.h"

#include <utility>

namespace talvodesk {

EventSubscription::EventSubscription(IUnknown* source, REFIID outgoing, IUnknown* sink)
{
    auto container = platform::com::ComPtr<IUnknown>(source).queryInterface<IConnectionPointContainer>();
    if (!container || !sink || FAILED(container->FindConnectionPoint(outgoing, m_point.put())) || !m_point ||
        FAILED(m_point->Advise(sink, &m_cookie))) {
        m_point.reset();
    }
}

EventSubscription::EventSubscription(EventSubscription&& other) noexcept
    : m_point(std::move(other.m_point)), m_cookie(std::exchange(other.m_cookie, 0))
{
}

EventSubscription& EventSubscription::operator=(EventSubscription&& other) noexcept
{
    if (this != &other) {
        reset();
        m_point = std::move(other.m_point);
        m_cookie = std::exchange(other.m_cookie, 0);
    }
    return *this;
}

void EventSubscription::reset()
{
    if (m_point) {
        (void)m_point->Unadvise(m_cookie); // The cookie is ours; a point that forgot it has nothing to drop.
        m_point.reset();
    }
    m_cookie = 0;
}

} // namespace talvodesk
