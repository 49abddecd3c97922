#pragma once

#include "talvoboard/internal/ColorIntervals.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetElement.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/ComPtr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/gfx/Geometry.h"

#include <array>
#include <vector>

namespace talvoboard {

/// An aiming added to the control and how much of it has been drawn.
struct AimingEntry {
    platform::com::ComPtr<IAiming> aiming;
    /// The trace index up to which the trace was drawn.
    LONG drawnTo = 0;
    LONG shotsDrawn = 0;
};

/// What the control shows and how: the aimings, the elements, the event and every display property. Plane
/// rectangles are in units of 1/100 mm. Thread rule: guarded by the owning control's lock.
struct TargetState {
    std::vector<AimingEntry> aimings;
    /// The identities of `aimings`, so that adding hundreds of aimings stays linear.
    platform::com::IdentitySet heldAimings;
    std::vector<platform::com::ComPtr<ITargetElement>> elements;

    platform::com::ComPtr<IEventParams> event;
    /// The event's first target face.
    platform::com::ComPtr<ITargetParams> targetParams;
    platform::com::Bstr eventShortName;
    LONG subTarget = 1;
    platform::gfx::Rect face;
    platform::gfx::Rect visible;
    float zoom = 0.0f;
    bool autoZoom = false;

    bool enableUpdate = true;
    bool updatePending = true;

    bool displayTrace = true;
    bool displayBreach = true;
    bool displayReplayMark = true;
    bool displayScoreRings = true;
    bool defaultBackground = true;
    bool match = true;
    bool selectable = true;
    bool dragable = false;
    bool shadeLabel = true;

    /// Negative: the face's trace thickness.
    float traceThickness = -1.0f;
    /// Seconds.
    float traceHeadingLength = 0.1f;

    OLE_COLOR backColor = 0xFFFFFF;
    OLE_COLOR labelColor = 0x00FFFF;
    OLE_COLOR sightingMarkColor = 0x00FFFF;
    OLE_COLOR replayMarkColor = 0x00FFFF;
    OLE_COLOR traceColor = 0x20C040;
    OLE_COLOR traceAfterShotColor = 0x0000FF;
    OLE_COLOR traceHeadingColor = 0x0000FF;
    /// 0: the face's colour.
    OLE_COLOR breachColor = 0;
    OLE_COLOR selectedBreachColor = 0;
    ColorIntervals intervals{traceColor, traceAfterShotColor};

    platform::com::ComPtr<IAiming> selectedAiming;
    platform::com::ComPtr<IShot> selectedShot;

    /// Bottom left and bottom right.
    std::array<platform::com::Bstr, 2> labels;
    platform::com::Bstr replayLabel{"REPLAY"};
    platform::com::Bstr replayPausedLabel{"REPLAY PAUSED"};
};

} // namespace talvoboard
