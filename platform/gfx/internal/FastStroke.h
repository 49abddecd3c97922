#pragma once

#include "platform/com/Types.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::gfx {

/// Rows of 32-bit pixels: `stride` pixels from the start of one row to the next.
struct PixelRows {
    std::uint32_t* bits = nullptr;
    std::ptrdiff_t stride = 0;
    int width = 0;
    int height = 0;
};

/// The widest pen fastStroke() draws.
inline constexpr LONG kFastStrokeWidest = 64;

/// Sets to `value` the pixels a round pen `width` wide (2 to kFastStrokeWidest) covers when its tip, centred on a
/// pixel, steps pixel by pixel along the open line through the pixels `points` names (x and y of each in turn, two
/// points or more). It is Qt's aliased stroke with round caps and joins but for the pixels at its edges, at a fraction
/// of the cost. Stretches off the pixels cost nothing beyond their clipping, however far they reach.
void fastStroke(const PixelRows& pixels, std::span<const LONG> points, LONG width, std::uint32_t value);

} // namespace platform::gfx
