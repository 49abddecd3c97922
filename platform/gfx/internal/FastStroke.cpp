#include "platform/gfx/internal/FastStroke.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace platform::gfx {

namespace {

/// A pen's round tip centred on a pixel: row `top` + i from the centre holds the pixels from its left to its right.
struct Tip {
    struct Row {
        int left = 0;
        int right = 0;
    };
    int top = 0;
    std::vector<Row> rows;
};

Tip tipOf(LONG width)
{
    // Pixel centres within the circle; on it, those an aliased fill takes, which keeps a top and a left edge.
    const std::int64_t diameter2 = std::int64_t{width} * width;
    const auto inside = [diameter2](std::int64_t dx, std::int64_t dy) {
        const std::int64_t distance2 = 4 * (dx * dx + dy * dy);
        return distance2 < diameter2 || (distance2 == diameter2 && (dy < 0 || (dy == 0 && dx < 0)));
    };
    Tip tip;
    const int reach = static_cast<int>(width / 2);
    tip.top = -reach;
    for (int dy = -reach; dy <= reach && inside(0, dy); ++dy) {
        Tip::Row row;
        while (inside(row.left - 1, dy)) {
            --row.left;
        }
        while (inside(row.right + 1, dy)) {
            ++row.right;
        }
        tip.rows.push_back(row);
    }
    return tip;
}

const Tip& tip(LONG width)
{
    static const std::array<Tip, kFastStrokeWidest + 1> tips = [] {
        std::array<Tip, kFastStrokeWidest + 1> made;
        for (LONG each = 0; each <= kFastStrokeWidest; ++each) {
            made[static_cast<std::size_t>(each)] = tipOf(each);
        }
        return made;
    }();
    return tips[static_cast<std::size_t>(width)];
}

void stamp(const PixelRows& pixels, const Tip& tip, int x, int y, std::uint32_t value)
{
    const int first = std::max(0, -y - tip.top);
    const int last = std::min(static_cast<int>(tip.rows.size()) - 1, pixels.height - 1 - y - tip.top);
    for (int i = first; i <= last; ++i) {
        const Tip::Row& row = tip.rows[static_cast<std::size_t>(i)];
        const int left = std::max(x + row.left, 0);
        const int right = std::min(x + row.right, pixels.width - 1);
        if (left <= right) {
            std::uint32_t* const line = pixels.bits + static_cast<std::ptrdiff_t>(y + tip.top + i) * pixels.stride;
            std::fill(line + left, line + right + 1, value);
        }
    }
}

/// Cuts the segment from a to b to the box; false when it misses it.
bool clip(double& ax, double& ay, double& bx, double& by, double low, double right, double bottom)
{
    double from = 0.0;
    double to = 1.0;
    const double dx = bx - ax;
    const double dy = by - ay;
    // Each edge as p t <= q, the segment being a + t (b - a).
    const std::array<std::array<double, 2>, 4> edges = {
        {{-dx, ax - low}, {dx, right - ax}, {-dy, ay - low}, {dy, bottom - ay}}};
    for (const auto& [p, q] : edges) {
        if (p == 0.0) {
            if (q < 0.0) {
                return false;
            }
        } else if (p < 0.0) {
            from = std::max(from, q / p);
        } else {
            to = std::min(to, q / p);
        }
    }
    if (from > to) {
        return false;
    }
    bx = ax + to * dx;
    by = ay + to * dy;
    ax += from * dx;
    ay += from * dy;
    return true;
}

} // namespace

void fastStroke(const PixelRows& pixels, std::span<const LONG> points, LONG width, std::uint32_t value)
{
    assert(width >= 2 && width <= kFastStrokeWidest && "a pen the fast stroke does not draw");
    assert(points.size() >= 4 && "a line of one point has no joins to spare");
    const Tip& pen = tip(width);
    // Tips centred farther out touch no pixel.
    const double reach = static_cast<double>(width);
    const double right = pixels.width - 1 + reach;
    const double bottom = pixels.height - 1 + reach;
    const std::size_t count = points.size() / 2;
    bool stamped = false;
    int lastX = 0;
    int lastY = 0;
    const auto put = [&](int x, int y) {
        if (!stamped || x != lastX || y != lastY) {
            stamp(pixels, pen, x, y, value);
            stamped = true;
            lastX = x;
            lastY = y;
        }
    };
    for (std::size_t i = 0; i + 1 < count; ++i) {
        double ax = points[2 * i];
        double ay = points[2 * i + 1];
        double bx = points[2 * i + 2];
        double by = points[2 * i + 3];
        if (!clip(ax, ay, bx, by, -reach, right, bottom)) {
            continue;
        }
        // Pixel by pixel from a to b, the tip at each.
        int x = static_cast<int>(std::lround(ax));
        int y = static_cast<int>(std::lround(ay));
        const int endX = static_cast<int>(std::lround(bx));
        const int endY = static_cast<int>(std::lround(by));
        const int stepsX = std::abs(endX - x);
        const int stepsY = -std::abs(endY - y);
        const int signX = x < endX ? 1 : -1;
        const int signY = y < endY ? 1 : -1;
        int error = stepsX + stepsY;
        for (;;) {
            put(x, y);
            if (x == endX && y == endY) {
                break;
            }
            const int twice = 2 * error;
            if (twice >= stepsY) {
                error += stepsY;
                x += signX;
            }
            if (twice <= stepsX) {
                error += stepsX;
                y += signY;
            }
        }
    }
}

} // namespace platform::gfx
