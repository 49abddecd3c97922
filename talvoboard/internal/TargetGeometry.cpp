#include "talvoboard/internal/TargetGeometry.h"

#include "platform/gfx/Letterbox.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>

namespace talvoboard {

using platform::gfx::Point;
using platform::gfx::Rect;

LONG toUnits(double millimetres)
{
    // A hostile trace reaches the ends of the plane: units stay within 2^30, so the sum of two never overflows.
    constexpr double kLimit = (1 << 30) - 1;
    const double units = std::round(100.0 * millimetres);
    if (std::isnan(units)) {
        return 0;
    }
    return static_cast<LONG>(std::clamp(units, -kLimit, kLimit));
}

float toMillimetres(LONG units)
{
    return static_cast<float>(units) / 100.0f;
}

Rect centredSquare(float side)
{
    return centredForm(side, side);
}

Rect centredForm(float width, float height)
{
    const LONG left = -toUnits(static_cast<double>(width) * 0.5);
    const LONG top = -toUnits(static_cast<double>(height) * 0.5);
    return {left, top, left + toUnits(width), top + toUnits(height)};
}

float displayCalibre(IEventParams* event)
{
    float calibre = 0.0f;
    if (!event || FAILED(event->get_DisplayCaliber(&calibre))) {
        return 0.0f;
    }
    if (calibre == 0.0f && FAILED(event->get_Caliber(&calibre))) {
        return 0.0f;
    }
    return calibre;
}

namespace {

// Products of pixels and units pass 32 bits on large faces: compute in 64 bits, truncating towards zero.
LONG scale(std::int64_t value, std::int64_t numerator, std::int64_t denominator)
{
    return denominator == 0 ? 0 : static_cast<LONG>(value * numerator / denominator);
}

} // namespace

Scale::Scale(std::int64_t numerator, std::int64_t denominator)
    : m_numerator(denominator < 0 ? -numerator : numerator),
      m_denominator(denominator < 0 ? -denominator : denominator),
      m_inverse(denominator == 0 ? 0.0 : 1.0 / static_cast<double>(m_denominator))
{
}

TargetDrawSurface::TargetDrawSurface(const Rect& bounds, const Rect& visible, Point origin)
    : m_bounds(bounds), m_visible(visible), m_origin(origin),
      m_viewport(platform::gfx::letterbox(bounds, visible.width(), visible.height()))
{
    const std::int64_t unitsWide = visible.width();
    const std::int64_t unitsHigh = visible.height();
    m_viewportWidth = std::abs(m_viewport.right - m_viewport.left);
    m_viewportHeight = std::abs(m_viewport.bottom - m_viewport.top);
    m_ratioNumerator = m_viewportHeight;
    m_ratioDenominator = static_cast<LONG>(unitsHigh);
    if (unitsWide != 0 && unitsHigh != 0 && m_viewportWidth / unitsWide < m_viewportHeight / unitsHigh) {
        m_ratioNumerator = m_viewportWidth;
        m_ratioDenominator = static_cast<LONG>(unitsWide);
    }
    m_toDeviceX = Scale(m_viewportWidth, unitsWide);
    m_toDeviceY = Scale(m_viewportHeight, unitsHigh);
}

Point TargetDrawSurface::toPlane(Point device) const
{
    return {scale(device.x - m_viewport.left, m_visible.width(), m_viewportWidth) + m_visible.left,
            scale(device.y - m_viewport.top, m_visible.height(), m_viewportHeight) + m_visible.top};
}

LONG TargetDrawSurface::toPixels(LONG units) const
{
    return scale(units, m_ratioNumerator, m_ratioDenominator);
}

LONG TargetDrawSurface::visibleWidth() const
{
    return m_viewportWidth == 0 ? m_visible.width() : scale(m_viewportWidth, m_visible.width(), m_viewportWidth);
}

LONG TargetDrawSurface::visibleHeight() const
{
    return m_viewportHeight == 0 ? m_visible.height() : scale(m_viewportHeight, m_visible.height(), m_viewportHeight);
}

} // namespace talvoboard
