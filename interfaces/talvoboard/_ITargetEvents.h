#pragma once

#include "interfaces/talvoboard/Guids.h"

#include "platform/com/Dispatch.h"

/// The control's events, called on sinks through Invoke with the DISPIDs of DispIds.h: floats as VT_R4, objects as
/// VT_DISPATCH, coordinates in millimetres from the target centre. Sinks are called on the control's thread.
struct _ITargetEvents : IDispatch {
    using Base = IDispatch;
    static constexpr IID kIid = talvoboard::DIID__ITargetEvents;

protected:
    ~_ITargetEvents() = default;
};
