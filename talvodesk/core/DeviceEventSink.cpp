#include "talvodesk/core/DeviceEventSink.h"

#include "talvodesk/core/PracticeRun.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvolink/DispIds.h"
#include "interfaces/talvolink/_ITalvoDeviceEvents.h"
#include "platform/com/Variant.h"

namespace talvodesk {

using platform::com::ComPtr;
using platform::com::Variant;

namespace {

/// The arguments of one event in call order (automation passes them reversed).
class Arguments {
public:
    explicit Arguments(const DISPPARAMS& params) : m_params(params) {}

    UINT count() const { return m_params.cArgs; }
    long integer(UINT index) const
    {
        Variant value = Variant::copyOf(at(index));
        return SUCCEEDED(value.changeType(VT_I4)) ? value.get().lVal : 0;
    }
    double date(UINT index) const
    {
        Variant value = Variant::copyOf(at(index));
        return SUCCEEDED(value.changeType(VT_R8)) ? value.get().dblVal : 0.0;
    }
    IDispatch* object(UINT index) const
    {
        const VARIANT& value = at(index);
        return value.vt == VT_DISPATCH ? value.pdispVal : nullptr;
    }
    ComPtr<IAiming> aiming(UINT index) const { return ComPtr<IDispatch>(object(index)).queryInterface<IAiming>(); }

private:
    const VARIANT& at(UINT index) const { return m_params.rgvarg[m_params.cArgs - 1 - index]; }
    const DISPPARAMS& m_params;
};

} // namespace

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
    const Arguments arguments(*params);
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
