#pragma once

#include "talvoboard/internal/TargetState.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/gfx/Geometry.h"

#include <optional>
#include <vector>

namespace talvoboard {

/// How a level of 0..10 is kept: above 9 as 9, below 1 as 0.
float storedZoom(float level);

/// What a zoom level shows, and the level itself, which moves up past levels whose ring is missing.
struct ZoomLevel {
    float zoom = 0.0f;
    /// Nothing when the level shows no rectangle (level 10 without a ring).
    std::optional<platform::gfx::Rect> visible;
};

/// The visible rectangle of a stored level on an event's face: the event's "_zoom_" value for it when it has one,
/// the face at 0, else the square around ring n, between rings n and n + 1 for a fractional level.
ZoomLevel zoomLevel(float zoom, IEventParams* event, ITargetParams* face, const platform::gfx::Rect& faceRect);

/// The smallest side, in millimetres, the view may be zoomed to: a tenth of the form's smaller side, lowered to
/// any smaller ring 1..9 the face has.
float minimumZoomSide(ITargetParams* face);

/// Half the width and height, in millimetres, that frame every breach (and trace, when shown) of the aimings
/// with half a calibre to spare, widened to the smallest ring that holds them.
struct HalfExtents {
    float x = 0.0f;
    float y = 0.0f;
};
HalfExtents fitHalfExtents(const std::vector<AimingEntry>& aimings, bool withTraces, IEventParams* event,
                           ITargetParams* face, bool square);

} // namespace talvoboard
