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

/// Sets to `value` every pixel whose centre lies within `width` / 2 of the open line through the centres of the
/// pixels `points` names (x and y of each in turn): what a round-capped, round-joined pen covers. Qt's aliased
/// stroke of the same line differs from it only at the edges, where Qt flattens its round joins and caps; this
/// costs a fraction of it. Segments that miss the pixels cost their test alone, however far they reach.
void fastStroke(const PixelRows& pixels, std::span<const LONG> points, LONG width, std::uint32_t value);

} // namespace platform::gfx
