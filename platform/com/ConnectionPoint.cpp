#include "platform/com/ConnectionPoint.h"

#include <algorithm>

namespace platform::com {

ConnectionPoint::ConnectionPoint(IConnectionPointContainer* container, REFIID outgoing)
    : m_container(container), m_outgoing(outgoing)
{
}

HRESULT ConnectionPoint::GetConnectionInterface(IID* riid)
{
    if (!riid) {
        return E_POINTER;
    }
    *riid = m_outgoing;
    return S_OK;
}

HRESULT ConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container)
{
    auto guard = lock();
    if (!container) {
        return E_POINTER;
    }
    *container = m_container;
    if (!m_container) {
        return E_UNEXPECTED;
    }
    m_container->AddRef();
    return S_OK;
}

HRESULT ConnectionPoint::Advise(IUnknown* sink, DWORD* cookie)
{
    auto guard = lock();
    if (!cookie) {
        return E_POINTER;
    }
    *cookie = 0;
    if (!sink) {
        return E_POINTER;
    }
    // The sink must answer the outgoing interface or IDispatch, which is how events reach it.
    ComPtr<IUnknown> held;
    if (FAILED(sink->QueryInterface(m_outgoing, held.putVoid())) &&
        FAILED(sink->QueryInterface(IDispatch::kIid, held.putVoid()))) {
        return CONNECT_E_CANNOTCONNECT;
    }
    *cookie = m_nextCookie++;
    m_sinks.emplace(*cookie, std::move(held));
    return S_OK;
}

HRESULT ConnectionPoint::Unadvise(DWORD cookie)
{
    ComPtr<IUnknown> released; // Released after the lock: the sink's destructor may call back.
    auto guard = lock();
    const auto it = m_sinks.find(cookie);
    if (it == m_sinks.end()) {
        return CONNECT_E_NOCONNECTION;
    }
    released = std::move(it->second);
    m_sinks.erase(it);
    return S_OK;
}

std::vector<ComPtr<IDispatch>> ConnectionPoint::sinks() const
{
    auto guard = lock();
    std::vector<ComPtr<IDispatch>> result;
    result.reserve(m_sinks.size());
    for (const auto& [cookie, sink] : m_sinks) {
        if (auto dispatch = sink.queryInterface<IDispatch>()) {
            result.push_back(std::move(dispatch));
        }
    }
    return result;
}

void ConnectionPoint::fire(DISPID dispId, std::vector<Variant> arguments) const
{
    std::vector<VARIANT> reversed;
    reversed.reserve(arguments.size());
    for (auto it = arguments.rbegin(); it != arguments.rend(); ++it) {
        reversed.push_back(it->get());
    }
    for (const ComPtr<IDispatch>& sink : sinks()) {
        DISPPARAMS params;
        params.rgvarg = reversed.data();
        params.cArgs = static_cast<UINT>(reversed.size());
        Variant result;
        (void)sink->Invoke(dispId, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.put(), nullptr,
                           nullptr); // A failing sink must not keep the event from the others.
    }
}

void ConnectionPoint::detachContainer()
{
    auto guard = lock();
    m_container = nullptr;
}

} // namespace platform::com
