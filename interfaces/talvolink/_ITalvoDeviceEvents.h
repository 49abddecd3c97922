#pragma once

#include "interfaces/talvolink/Guids.h"
#include "platform/com/Dispatch.h"

/// The device control's events, called on the sinks through IDispatch::Invoke with DISPATCH_METHOD and the
/// DISPID_TALVODEVICEEVENTS_ numbers; the arguments (reversed, as automation passes them):
/// StartAiming(nSubDevice VT_I4, Aiming VT_DISPATCH); NewCoordinates(nSubDevice, Aiming, Count VT_I4: points added
/// since the last announcement); Shot(nSubDevice, Aiming, Shot VT_DISPATCH); ConcludeAiming(nSubDevice, Aiming);
/// FinalConcludeAiming(nSubDevice); PulseChanged(nSubDevice, Pulse VT_I4 beats per minute); Trigger(nSubDevice,
/// Count VT_I4); HeartBeat(nSubDevice, dateMin VT_R8, dateMax VT_R8: OLE dates of the previous and current beat);
/// Disconnected(); Reconnected(); Timeout(seconds VT_I4 without data).
struct _ITalvoDeviceEvents : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvolink::DIID__ITalvoDeviceEvents;

protected:
    ~_ITalvoDeviceEvents() = default;
};
