#include "platform/gfx/internal/Hairline.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace platform::gfx {

namespace {

constexpr int kDotRun = 3;

class PixelSink {
public:
    PixelSink(bool dotted, const Rect& visible, std::vector<Point>& pixels)
        : m_dotted(dotted), m_visible(visible), m_pixels(pixels)
    {
    }

    void add(Point pixel)
    {
        if ((!m_dotted || m_step % (2 * kDotRun) < kDotRun) && pixel.x >= m_visible.left && pixel.x < m_visible.right &&
            pixel.y >= m_visible.top && pixel.y < m_visible.bottom) {
            m_pixels.push_back(pixel);
        }
        ++m_step;
    }
    /// Pixels of a line that lie out of sight: they still move the dot pattern on.
    void skip(std::int64_t count) { m_step += count; }

private:
    bool m_dotted;
    Rect m_visible;
    std::int64_t m_step = 0;
    std::vector<Point>& m_pixels;
};

// The pixels Bresenham sets from `from` to just before `to`.
std::int64_t pixelCount(Point from, Point to)
{
    return std::max(std::llabs(std::int64_t{to.x} - from.x), std::llabs(std::int64_t{to.y} - from.y));
}

// Bresenham from `from` towards `to`, stopping before `to`; in 64 bits, so no coordinates overflow the error terms.
void addLine(Point from, Point to, PixelSink& sink)
{
    const std::int64_t dx = std::llabs(std::int64_t{to.x} - from.x);
    const std::int64_t dy = -std::llabs(std::int64_t{to.y} - from.y);
    const LONG stepX = from.x < to.x ? 1 : -1;
    const LONG stepY = from.y < to.y ? 1 : -1;
    std::int64_t error = dx + dy;
    Point at = from;
    while (at != to) {
        sink.add(at);
        const std::int64_t twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.x += stepX;
        }
        if (twice <= dx) {
            error += dx;
            at.y += stepY;
        }
    }
}

bool holds(const Rect& area, Point point)
{
    return point.x >= area.left && point.x <= area.right && point.y >= area.top && point.y <= area.bottom;
}

// A line reaching out of sight is cut to the visible area (with a margin) first, so its cost follows what can be
// seen, not how far its ends lie. Lines wholly in sight keep their exact pixels.
void addVisibleLine(Point from, Point to, const Rect& visible, PixelSink& sink)
{
    const Rect margin = visible.inset(-2);
    if (holds(margin, from) && holds(margin, to)) {
        addLine(from, to, sink);
        return;
    }
    // Liang-Barsky: the part of from + t (to - from), 0 <= t <= 1, inside the margin.
    const double x0 = from.x;
    const double y0 = from.y;
    const double dx = static_cast<double>(to.x) - x0;
    const double dy = static_cast<double>(to.y) - y0;
    double enter = 0.0;
    double leave = 1.0;
    const double p[] = {-dx, dx, -dy, dy};
    const double q[] = {x0 - margin.left, margin.right - x0, y0 - margin.top, margin.bottom - y0};
    for (int edge = 0; edge < 4; ++edge) {
        if (p[edge] == 0.0) {
            if (q[edge] < 0.0) {
                enter = 1.0;
                leave = 0.0;
            }
            continue;
        }
        const double t = q[edge] / p[edge];
        if (p[edge] < 0.0) {
            enter = std::max(enter, t);
        } else {
            leave = std::min(leave, t);
        }
    }
    if (enter >= leave) {
        sink.skip(pixelCount(from, to));
        return;
    }
    const Point a{static_cast<LONG>(std::lround(x0 + enter * dx)), static_cast<LONG>(std::lround(y0 + enter * dy))};
    const Point b{static_cast<LONG>(std::lround(x0 + leave * dx)), static_cast<LONG>(std::lround(y0 + leave * dy))};
    sink.skip(pixelCount(from, a));
    addLine(a, b, sink);
    sink.skip(pixelCount(b, to));
}

} // namespace

std::vector<Point> hairlinePixels(std::span<const Point> points, bool closed, bool dotted, const Rect& visible)
{
    std::vector<Point> pixels;
    PixelSink sink(dotted, visible, pixels);
    for (std::size_t i = 1; i < points.size(); ++i) {
        addVisibleLine(points[i - 1], points[i], visible, sink);
    }
    if (closed && points.size() > 1) {
        addVisibleLine(points.back(), points.front(), visible, sink);
    }
    return pixels;
}

} // namespace platform::gfx
