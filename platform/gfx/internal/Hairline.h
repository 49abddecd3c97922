#pragma once

#include "platform/gfx/Geometry.h"

#include <span>
#include <vector>

namespace platform::gfx {

/// The pixels of one-pixel lines joining points in order (and the last to the first when closed). Each line
/// leaves out its last pixel, so joined lines set every pixel once and a not-XOR pen leaves no gaps at the
/// joints. Dotted lines keep the pixels of a three-on, three-off pattern that runs on across the joints. Only
/// pixels inside `visible` are returned, and the work follows what lies in it, however far the points reach.
std::vector<Point> hairlinePixels(std::span<const Point> points, bool closed, bool dotted, const Rect& visible);

} // namespace platform::gfx
