#include "platform/gfx/Himetric.h"

#include <cstdint>

namespace platform::gfx {

LONG mulDiv(LONG a, LONG b, LONG c)
{
    if (c == 0) {
        return -1;
    }
    std::int64_t product = static_cast<std::int64_t>(a) * b;
    std::int64_t divisor = c;
    if (divisor < 0) {
        product = -product;
        divisor = -divisor;
    }
    const std::int64_t half = divisor / 2;
    const std::int64_t quotient = product >= 0 ? (product + half) / divisor : (product - half) / divisor;
    return static_cast<LONG>(quotient);
}

Rect himetricFromPixels(const Rect& pixels, Resolution resolution)
{
    return {mulDiv(pixels.left, kHimetricPerInch, resolution.x), mulDiv(pixels.top, kHimetricPerInch, resolution.y),
            mulDiv(pixels.right, kHimetricPerInch, resolution.x),
            mulDiv(pixels.bottom, kHimetricPerInch, resolution.y)};
}

Rect pixelsFromHimetric(const Rect& himetric, Resolution resolution)
{
    return {mulDiv(himetric.left, resolution.x, kHimetricPerInch), mulDiv(himetric.top, resolution.y, kHimetricPerInch),
            mulDiv(himetric.right, resolution.x, kHimetricPerInch),
            mulDiv(himetric.bottom, resolution.y, kHimetricPerInch)};
}

} // namespace platform::gfx
