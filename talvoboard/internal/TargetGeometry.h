#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>

namespace talvoboard {

// The target plane is in units of 1/100 mm with the origin at the target centre, x to the right and y downwards,
// as on the screen: no axis is ever flipped.

/// Millimetres to units, to the nearest unit, held within 2^30 - 1 either way so the sum of two never overflows;
/// NaN is 0.
LONG toUnits(double millimetres);
float toMillimetres(LONG units);

/// A square of `side` millimetres centred on the origin.
platform::gfx::Rect centredSquare(float side);
/// A form of that size in millimetres centred on the origin.
platform::gfx::Rect centredForm(float width, float height);

/// The event's DisplayCaliber, or its Caliber where that is 0; 0 when neither can be read.
float displayCalibre(IEventParams* event);

/// value × numerator / denominator in 64 bits, truncated towards zero, as integer division gives it but with a
/// multiplication in place of the division, for the thousands of samples of a trace. Thread rule: a value type.
class Scale {
public:
    Scale(std::int64_t numerator, std::int64_t denominator);

    LONG operator()(std::int64_t value) const
    {
        // Far enough from 2^53 that the estimate is off by one at most.
        constexpr std::int64_t kEstimated = std::int64_t{1} << 50;
        const std::int64_t product = value * m_numerator;
        if (m_denominator == 0 || product <= -kEstimated || product >= kEstimated) {
            return m_denominator == 0 ? 0 : static_cast<LONG>(product / m_denominator);
        }
        // Estimate the quotient of the magnitude, then step to the one whose remainder lies in 0..divisor - 1;
        // truncating towards zero, a negative product's quotient is the negated quotient of its magnitude.
        const std::int64_t magnitude = product < 0 ? -product : product;
        auto quotient = static_cast<std::int64_t>(static_cast<double>(magnitude) * m_inverse);
        const std::int64_t remainder = magnitude - quotient * m_denominator;
        quotient += static_cast<std::int64_t>(remainder >= m_denominator) - static_cast<std::int64_t>(remainder < 0);
        return static_cast<LONG>(product < 0 ? -quotient : quotient);
    }

private:
    std::int64_t m_numerator;
    std::int64_t m_denominator;
    double m_inverse;
};

/// Maps the visible rectangle of the plane into device bounds, keeping its aspect ratio and centring it, for one
/// drawing or mapping. `origin` is the top-left of a memory bitmap drawn into double-buffered, else (0, 0).
/// Thread rule: a value type.
class TargetDrawSurface {
public:
    TargetDrawSurface(const platform::gfx::Rect& bounds, const platform::gfx::Rect& visible,
                      platform::gfx::Point origin = {});

    const platform::gfx::Rect& bounds() const { return m_bounds; }
    /// The part of the bounds that shows the visible rectangle.
    const platform::gfx::Rect& viewport() const { return m_viewport; }

    /// Plane to device. Truncates towards zero; an empty visible rectangle or viewport maps to the viewport's corner.
    /// Inline: a redraw maps every sample of every trace.
    platform::gfx::Point toDevice(platform::gfx::Point plane) const
    {
        return {m_toDeviceX(std::int64_t{plane.x} - m_visible.left) + m_viewport.left - m_origin.x,
                m_toDeviceY(std::int64_t{plane.y} - m_visible.top) + m_viewport.top - m_origin.y};
    }
    /// Device to plane, the inverse of toDevice up to truncation.
    platform::gfx::Point toPlane(platform::gfx::Point device) const;
    /// A length of units in pixels with the size ratio.
    LONG toPixels(LONG units) const;
    /// The visible width and height in units as the viewport shows them.
    LONG visibleWidth() const;
    LONG visibleHeight() const;

private:
    platform::gfx::Rect m_bounds;
    platform::gfx::Rect m_visible;
    platform::gfx::Point m_origin;
    platform::gfx::Rect m_viewport;
    LONG m_viewportWidth = 0;
    LONG m_viewportHeight = 0;
    LONG m_ratioNumerator = 0;
    LONG m_ratioDenominator = 1;
    Scale m_toDeviceX{0, 0};
    Scale m_toDeviceY{0, 0};
};

} // namespace talvoboard
