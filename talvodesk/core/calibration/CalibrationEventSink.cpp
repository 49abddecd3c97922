#include "talvodesk/core/calibration/CalibrationEventSink.h"

#include "talvodesk/core/calibration/CalibrationState.h"
#include "talvodesk/core/events/EventArguments.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"

namespace talvodesk {

using platform::com::ComPtr;

HRESULT CalibrationEventSink::queryExtraInterface(REFIID riid, void** ppvObject)
{
    if (riid != _ITalvoDeviceEvents::kIid) {
        return E_NOINTERFACE;
    }
    *ppvObject = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT CalibrationEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*,
                                     EXCEPINFO*, UINT*)
{
    if (!params || (flags & DISPATCH_METHOD) == 0) {
        return E_INVALIDARG;
    }
    if (!m_state) {
        return S_OK;
    }
    const EventArguments arguments(*params);
    const UINT n = arguments.count();
    const ComPtr<IAiming> aiming = n > 1 ? arguments.aiming(1) : nullptr;
    if (!aiming) {
        return S_OK;
    }
    switch (dispIdMember) {
    case DISPID_TALVODEVICEEVENTS_STARTAIMING:
        m_state->OnStartAiming();
        break;
    case DISPID_TALVODEVICEEVENTS_NEWCOORDINATES:
        m_state->OnNewCoordinates(arguments.integer(0), aiming.get());
        break;
    case DISPID_TALVODEVICEEVENTS_SHOT:
        if (n == 3) {
            const ComPtr<IShot> shot = ComPtr<IDispatch>(arguments.object(2)).queryInterface<IShot>();
            if (shot) {
                m_state->OnShot(shot.get());
            }
        }
        break;
    case DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING:
        m_state->OnConcludeAiming();
        break;
    default:
        break;
    }
    return S_OK;
}

} // namespace talvodesk
