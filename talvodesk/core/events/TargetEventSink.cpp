#include "talvodesk/core/events/TargetEventSink.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

namespace talvodesk {

using platform::com::ComPtr;

void TargetEventSink::dispatch(TargetEventHandler& handler, DISPID event, const EventArguments& arguments)
{
    const UINT n = arguments.count();
    switch (event) {
    case DISPID_TARGETEVENTS_SELECTIONCHANGED:
        handler.OnSelectionChanged();
        break;
    case DISPID_TARGETEVENTS_ZOOMCHANGED:
        handler.OnZoomChanged();
        break;
    case DISPID_TARGETEVENTS_RIGHTCLICK:
    case DISPID_TARGETEVENTS_DBLCLICK:
        if (n == 2) {
            const float x = arguments.real(0);
            const float y = arguments.real(1);
            if (event == DISPID_TARGETEVENTS_RIGHTCLICK) {
                handler.OnRightClick(x, y);
            } else {
                handler.OnDblClick(x, y);
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
            if (event == DISPID_TARGETEVENTS_STARTDRAG) {
                handler.OnStartDrag(aiming.get(), shot.get(), x, y);
            } else {
                handler.OnEndDrag(aiming.get(), shot.get(), x, y);
            }
        }
        break;
    case DISPID_TARGETEVENTS_REPLAYPOSITIONCHANGED:
        handler.OnReplayPositionChanged();
        break;
    case DISPID_TARGETEVENTS_ENDREPLAY:
        handler.OnEndReplay();
        break;
    default:
        break;
    }
}

} // namespace talvodesk
