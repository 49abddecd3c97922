#include "talvodesk/core/practice/DeviceEventSink.h"

#include "talvodesk/core/practice/PracticeRun.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvolink/DispIds.h"

namespace talvodesk {

using platform::com::ComPtr;

void DeviceEventSink::dispatch(PracticeRun& run, DISPID event, const EventArguments& arguments)
{
    const UINT n = arguments.count();
    const long subDevice = n > 0 ? arguments.integer(0) : 0;
    const ComPtr<IAiming> aiming = n > 1 ? arguments.aiming(1) : nullptr;
    switch (event) {
    case DISPID_TALVODEVICEEVENTS_STARTAIMING:
        if (n == 2 && aiming) {
            run.OnStartAiming(subDevice, aiming.get());
        }
        break;
    case DISPID_TALVODEVICEEVENTS_NEWCOORDINATES:
        if (n == 3 && aiming) {
            run.OnNewCoordinates(subDevice, aiming.get(), arguments.integer(2));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_SHOT:
        if (n == 3 && aiming) {
            run.OnShot(subDevice, aiming.get(), arguments.object(2));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING:
        if (n == 2 && aiming) {
            run.OnConcludeAiming(subDevice, aiming.get());
        }
        break;
    case DISPID_TALVODEVICEEVENTS_FINALCONCLUDEAIMING:
        if (n == 1) {
            run.OnFinalConcludeAiming(subDevice);
        }
        break;
    case DISPID_TALVODEVICEEVENTS_PULSECHANGED:
        if (n == 2) {
            run.OnPulseChanged(subDevice, arguments.integer(1));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_TRIGGER:
        if (n == 2) {
            run.OnTrigger(subDevice, arguments.integer(1));
        }
        break;
    case DISPID_TALVODEVICEEVENTS_HEARTBEAT:
        if (n == 3) {
            run.OnHeartBeat(subDevice, arguments.date(1), arguments.date(2));
        }
        break;
    default:
        break;
    }
}

} // namespace talvodesk
