#include "talvodesk/core/calibration/CalibrationEventSink.h"

#include "talvodesk/core/calibration/CalibrationState.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvolink/DispIds.h"

namespace talvodesk {

using platform::com::ComPtr;

void CalibrationEventSink::dispatch(CalibrationState& state, DISPID event, const EventArguments& arguments)
{
    const UINT n = arguments.count();
    const ComPtr<IAiming> aiming = n > 1 ? arguments.aiming(1) : nullptr;
    if (!aiming) {
        return;
    }
    switch (event) {
    case DISPID_TALVODEVICEEVENTS_STARTAIMING:
        state.OnStartAiming();
        break;
    case DISPID_TALVODEVICEEVENTS_NEWCOORDINATES:
        state.OnNewCoordinates(arguments.integer(0), aiming.get());
        break;
    case DISPID_TALVODEVICEEVENTS_SHOT:
        if (n == 3) {
            const ComPtr<IShot> shot = ComPtr<IDispatch>(arguments.object(2)).queryInterface<IShot>();
            if (shot) {
                state.OnShot(shot.get());
            }
        }
        break;
    case DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING:
        state.OnConcludeAiming();
        break;
    default:
        break;
    }
}

} // namespace talvodesk
