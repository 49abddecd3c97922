#include "platform/gfx/internal/Hairline.h"

#include <cstdlib>

namespace platform::gfx {

namespace {

constexpr int kDotRun = 3;

class PixelSink {
public:
    PixelSink(bool dotted, std::vector<Point>& pixels) : m_dotted(dotted), m_pixels(pixels) {}

    void add(Point pixel)
    {
        if (!m_dotted || m_step % (2 * kDotRun) < kDotRun) {
            m_pixels.push_back(pixel);
        }
        ++m_step;
    }

private:
    bool m_dotted;
    int m_step = 0;
    std::vector<Point>& m_pixels;
};

// Bresenham from `from` towards `to`, stopping before `to`.
void addLine(Point from, Point to, PixelSink& sink)
{
    const LONG dx = std::abs(to.x - from.x);
    const LONG dy = -std::abs(to.y - from.y);
    const LONG stepX = from.x < to.x ? 1 : -1;
    const LONG stepY = from.y < to.y ? 1 : -1;
    LONG error = dx + dy;
    Point at = from;
    while (at != to) {
        sink.add(at);
        const LONG twice = 2 * error;
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

} // namespace

std::vector<Point> hairlinePixels(std::span<const Point> points, bool closed, bool dotted)
{
    std::vector<Point> pixels;
    PixelSink sink(dotted, pixels);
    for (std::size_t i = 1; i < points.size(); ++i) {
        addLine(points[i - 1], points[i], sink);
    }
    if (closed && points.size() > 1) {
        addLine(points.back(), points.front(), sink);
    }
    return pixels;
}

} // namespace platform::gfx
