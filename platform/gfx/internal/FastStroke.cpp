#include "platform/gfx/internal/FastStroke.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace platform::gfx {

namespace {

constexpr double kNone = std::numeric_limits<double>::infinity();

/// The pixels within `radius` of the segment from a to b: on each row, the interval where the disc round either
/// end or the band between them reach. The three together are convex, so their union on a row is one interval.
void capsule(const PixelRows& pixels, double ax, double ay, double bx, double by, double radius, std::uint32_t value)
{
    const double top = std::max(0.0, std::ceil(std::min(ay, by) - radius));
    const double bottom = std::min(pixels.height - 1.0, std::floor(std::max(ay, by) + radius));
    if (top > bottom || std::max(ax, bx) + radius < 0 || std::min(ax, bx) - radius > pixels.width - 1.0) {
        return;
    }
    const double dx = bx - ax;
    const double dy = by - ay;
    const double length2 = dx * dx + dy * dy;
    // Bound of the cross product of (x - a) and (b - a) inside the band.
    const double reach = radius * std::sqrt(length2);
    const double radius2 = radius * radius;
    for (int y = static_cast<int>(top); y <= static_cast<int>(bottom); ++y) {
        // Offsets from a along the row.
        double lo = kNone;
        double hi = -kNone;
        const auto disc = [&](double centre, double rise) {
            const double left = radius2 - rise * rise;
            if (left >= 0) {
                const double half = std::sqrt(left);
                lo = std::min(lo, centre - half);
                hi = std::max(hi, centre + half);
            }
        };
        const double v = y - ay;
        disc(0, v);
        disc(dx, y - by);
        if (length2 > 0) {
            // Between the ends: 0 <= u dx + v dy <= |b - a|^2; within the band: |u dy - v dx| <= reach.
            double from = -kNone;
            double to = kNone;
            const auto within = [&](double factor, double low, double high) {
                if (factor != 0) {
                    const double first = low / factor;
                    const double second = high / factor;
                    from = std::max(from, std::min(first, second));
                    to = std::min(to, std::max(first, second));
                } else if (low > 0 || high < 0) {
                    to = -kNone;
                }
            };
            within(dx, -v * dy, length2 - v * dy);
            within(dy, v * dx - reach, v * dx + reach);
            if (from <= to) {
                lo = std::min(lo, from);
                hi = std::max(hi, to);
            }
        }
        if (lo > hi) {
            continue;
        }
        const double left = std::max(0.0, std::ceil(ax + lo));
        const double right = std::min(pixels.width - 1.0, std::floor(ax + hi));
        if (left <= right) {
            std::uint32_t* const row = pixels.bits + y * pixels.stride;
            std::fill(row + static_cast<int>(left), row + static_cast<int>(right) + 1, value);
        }
    }
}

} // namespace

void fastStroke(const PixelRows& pixels, std::span<const LONG> points, LONG width, std::uint32_t value)
{
    const std::size_t count = points.size() / 2;
    if (count == 0) {
        return;
    }
    const double radius = width / 2.0;
    double ax = points[0];
    double ay = points[1];
    if (count == 1) {
        capsule(pixels, ax, ay, ax, ay, radius, value);
        return;
    }
    for (std::size_t i = 1; i < count; ++i) {
        const double bx = points[2 * i];
        const double by = points[2 * i + 1];
        capsule(pixels, ax, ay, bx, by, radius, value);
        ax = bx;
        ay = by;
    }
}

} // namespace platform::gfx
