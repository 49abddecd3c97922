#pragma once

#include "talvodesk/core/events/EventArguments.h"

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

namespace talvodesk {

/// The sink of one events interface (`EventsIid`): decodes each call and hands it to a `Target` until the target goes
/// away. A call that is not a method call gets E_INVALIDARG; a call after Detach is accepted and dropped. Owner
/// thread only.
template <typename Target, const IID& EventsIid> class EventSink : public platform::com::ComObject<IDispatch> {
public:
    explicit EventSink(Target& target) : m_target(&target) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) final
    {
        if (!params || (flags & DISPATCH_METHOD) == 0) {
            return E_INVALIDARG;
        }
        if (m_target) {
            dispatch(*m_target, dispIdMember, EventArguments(*params));
        }
        return S_OK;
    }

    /// The target goes away: later events are dropped.
    void Detach() { m_target = nullptr; }

protected:
    ~EventSink() override = default;

    /// One event for the target; events it does not handle, and arguments that do not fit, change nothing.
    virtual void dispatch(Target& target, DISPID event, const EventArguments& arguments) = 0;

    HRESULT queryExtraInterface(REFIID riid, void** ppvObject) override
    {
        if (riid != EventsIid) {
            return E_NOINTERFACE;
        }
        *ppvObject = static_cast<IDispatch*>(this);
        AddRef();
        return S_OK;
    }

private:
    Target* m_target;
};

} // namespace talvodesk
