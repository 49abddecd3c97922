#include "talvodesk/core/practice/DeviceEventSink.h"

#include "talvodesk/core/events/EventArguments.h"
#include "talvodesk/core/practice/PracticeRun.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"

namespace talvodesk {

using platform::com::ComPtr;

HRESULT DeviceEventSink::queryExtraInterface(REFIID riid, void** ppvObject)
{
    if (riid != _ITalvoDeviceEvents::kIid) {
        return E_NOINTERFACE;
    }
    *ppvObject = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

HRESULT DeviceEventSink::Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                                UINT*)
{
    if (!params || (flags & DISPATCH_METHOD) == 0) {
        return E_INVALIDARG;
    }
    if (!m_run) {
        return S_OK;
    }
    const EventArguments arguments(*params);
    const UINT n = arguments.count();
    const long subDevice = n > 0 ? arguments.integer(0) : 0;
    const ComPtr<IAiming> aiming = n > 1 ? arguments.aiming(1) : nullptr;
    switch (dispIdMember) {
    case DISPID_TALVODEVICEEVENTS_STARTAIMING:
        if (n == 2 && aiming) {
            m_run->OnStartAiming(subDevice, aiming.get());
        }
        break;
    case DISPID_TALVODEVICEEVENTS_NEWCOORDINATES:
        if (n == 3 && aiming) {
            m_run->OnNewCoordinates(subDevice, aiming.get(), arguments.integer(2));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_SHOT:
        if (n == 3 && aiming) {
            m_run->OnShot(subDevice, aiming.get(), arguments.object(2));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING:
        if (n == 2 && aiming) {
            m_run->OnConcludeAiming(subDevice, aiming.get());
        }
        break;
    case DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING:
        if (n == 1) {
            m_run->OnFinalConcludeAiming(subDevice);
        }
        break;
    case DISPID_TALVODEVICEEVENTS_PULSECHANGED:
        if (n == 2) {
            m_run->OnPulseChanged(subDevice, arguments.integer(1));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_TRIGGER:
        if (n == 2) {
            m_run->OnTrigger(subDevice, arguments.integer(1));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_HEARTBEAT:
        if (n == 3) {
            m_run->OnHeartBeat(subDevice, arguments.date(1), arguments.date(2));
        }
        break;
    default:
        break;
    }
    return S_OK;
}

} // namespace talvodesk
