#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

#include <map>
#include <vector>

struct IConnectionPoint;

struct IConnectionPointContainer : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("B196B284-BAB4-101A-B69C-00AA00341D07");

    /// CONNECT_E_NOCONNECTION when the object has no source of that interface.
    virtual HRESULT FindConnectionPoint(REFIID riid, IConnectionPoint** point) = 0;

protected:
    ~IConnectionPointContainer() = default;
};

struct IConnectionPoint : IUnknown {
    using Base = IUnknown;
    static constexpr IID kIid = platform::com::makeGuid("B196B286-BAB4-101A-B69C-00AA00341D07");

    virtual HRESULT GetConnectionInterface(IID* riid) = 0;
    virtual HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) = 0;
    /// Keeps one reference to the sink until Unadvise; the cookie is never 0.
    virtual HRESULT Advise(IUnknown* sink, DWORD* cookie) = 0;
    virtual HRESULT Unadvise(DWORD cookie) = 0;

protected:
    ~IConnectionPoint() = default;
};

namespace platform::com {

/// One outgoing interface of an object. The container owns it and names itself weakly, so the
/// point never keeps its container alive. Events are fired over a snapshot of the sinks, so a sink may
/// Advise or Unadvise from inside a call. Thread rule: any thread (locks internally).
class ConnectionPoint final : public ComObject<IConnectionPoint> {
public:
    ConnectionPoint(IConnectionPointContainer* container, REFIID outgoing);

    HRESULT GetConnectionInterface(IID* riid) override;
    HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
    HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
    HRESULT Unadvise(DWORD cookie) override;

    /// The advised sinks as IDispatch, in the order advised.
    std::vector<ComPtr<IDispatch>> sinks() const;
    /// Calls `dispId` as a method on every sink, arguments in call order (reversed into DISPPARAMS here).
    /// Sink failures do not stop the others.
    void fire(DISPID dispId, std::vector<Variant> arguments) const;
    /// The container is going away: forget it.
    void detachContainer();

private:
    ~ConnectionPoint() override = default;

    IConnectionPointContainer* m_container; // Not owned: the container owns this point.
    IID m_outgoing;
    DWORD m_nextCookie = 1;
    std::map<DWORD, ComPtr<IUnknown>> m_sinks;
};

} // namespace platform::com
