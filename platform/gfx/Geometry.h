#pragma once

#include "platform/com/Types.h"

#include <algorithm>

namespace platform::gfx {

/// A point in logical units.
struct Point {
    LONG x = 0;
    LONG y = 0;

    friend constexpr bool operator==(const Point&, const Point&) = default;
};

/// A width and a height in logical units.
struct Size {
    LONG cx = 0;
    LONG cy = 0;

    friend constexpr bool operator==(const Size&, const Size&) = default;
};

/// A rectangle whose right and bottom edges lie outside it, as GDI has them: (0, 0)-(10, 10) covers pixels 0..9.
struct Rect {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;

    constexpr LONG width() const { return right - left; }
    constexpr LONG height() const { return bottom - top; }
    constexpr bool isEmpty() const { return right <= left || bottom <= top; }

    /// The same area with left <= right and top <= bottom.
    constexpr Rect normalized() const
    {
        return {std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    }
    constexpr Rect translated(Point by) const { return {left + by.x, top + by.y, right + by.x, bottom + by.y}; }
    /// Moves every edge inwards by d (outwards when d is negative).
    constexpr Rect inset(LONG d) const { return {left + d, top + d, right - d, bottom - d}; }
    /// Whether the two share a pixel; an empty rectangle meets nothing.
    constexpr bool intersects(const Rect& other) const
    {
        return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
    }
    /// The smallest rectangle that holds both; an empty rectangle adds nothing.
    constexpr Rect united(const Rect& other) const
    {
        if (other.isEmpty()) {
            return *this;
        }
        if (isEmpty()) {
            return other;
        }
        return {std::min(left, other.left), std::min(top, other.top), std::max(right, other.right),
                std::max(bottom, other.bottom)};
    }

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

} // namespace platform::gfx
