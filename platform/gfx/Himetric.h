#pragma once

#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

namespace platform::gfx {

/// HIMETRIC units (0.01 mm) in an inch.
inline constexpr LONG kHimetricPerInch = 2540;

/// Converts device pixels at a resolution to HIMETRIC, and back.
Rect himetricFromPixels(const Rect& pixels, Resolution resolution);
Rect pixelsFromHimetric(const Rect& himetric, Resolution resolution);

} // namespace platform::gfx
