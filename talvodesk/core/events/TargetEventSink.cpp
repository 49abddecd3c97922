#include "talvodesk/core/events/TargetEventSink.h"

#include "talvodesk/core/events/EventArguments.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvoboard/_ITargetEvents.h"
#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

namespace talvodesk {

using platform::com::ComPtr;

HRESULT TargetEventSink::queryExtraInterface(REFIID riid, void** ppvObject)
{
    if (riid != _ITargetEvents::kIid) {
        return E_NOINTERFACE;
    }
    *ppvObject = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT TargetEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                UINT*)
{
    if (!params || (flags & DISPATCH_METHOD) == 0) {
        return E_INVALIDARG;
    }
    if (!m_handler) {
        return S_OK;
    }
    const EventArguments arguments(*params);
    const UINT n = arguments.count();
    switch (dispIdMember) {
    case DISPID_TARGETEVENTS_SELECTIONCHANGED:
        m_handler->OnSelectionChanged();
        break;
    case DISPID_TARGETEVENTS_ZOOMCHANGED:
        m_handler->OnZoomChanged();
        break;
    case DISPID_TARGETEVENTS_RIGHTCLICK:
    case DISPID_TARGETEVENTS_DBLCLICK:
        if (n == 2) {
            const float x = arguments.real(0);
            const float y = arguments.real(1);
            if (dispIdMember == DISPID_TARGETEVENTS_RIGHTCLICK) {
                m_handler->OnRightClick(x, y);
            } else {
                m_handler->OnDblClick(x, y);
            }
        }
        break;
    case DISPID_TARGETEVENTS_STARTDRAG:
    case DISPID_TARGETEVENTS_ENDDRAG:
        if (n == 4) {
            const ComPtr<IAiming> aiming = arguments.objectAs<IAiming>(0);
            const ComPtr<IShot> shot = arguments.objectAs<IShot>(1);
            const float x = arguments.real(2);
            const float y = arguments.real(3);
            if (dispIdMember == DISPID_TARGETEVENTS_STARTDRAG) {
                m_handler->OnStartDrag(aiming.get(), shot.get(), x, y);
            } else {
                m_handler->OnEndDrag(aiming.get(), shot.get(), x, y);
            }
        }
        break;
    case DISPID_TARGETEVENTS_REPLAYPOSITIONCHANGED:
        m_handler->OnReplayPositionChanged();
        break;
    case DISPID_TARGETEVENTS_ENDREPLAY:
        m_handler->OnEndReplay();
        break;
    default:
        break;
    }
    return S_OK;
}

} // namespace talvodesk
