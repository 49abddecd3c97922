#pragma once

#include "talvoboard/internal/TargetState.h"

#include "platform/com/ComPtr.h"
#include "platform/gfx/Geometry.h"

#include <vector>

namespace talvoboard {

/// A shot being dragged: its breach moves by current - anchor (units).
struct DraggedShot {
    platform::com::ComPtr<IAiming> aiming;
    platform::com::ComPtr<IShot> shot;
    platform::gfx::Point anchor;
    platform::gfx::Point current;
};

/// The breach under a point, and the offset from the point to the breach in units.
struct Hit {
    platform::com::ComPtr<IAiming> aiming;
    platform::com::ComPtr<IShot> shot;
    LONG dx = 0;
    LONG dy = 0;
};

/// Finds the breach within half a calibre of `point` (units): only the dragged shot while one is held, else the
/// last added aiming's last shot first. Missed shots are never hit; nothing is hit when `selectable` is false.
Hit hitTest(platform::gfx::Point point, const std::vector<AimingEntry>& aimings, bool selectable, float calibre,
            const DraggedShot* dragged);

} // namespace talvoboard
