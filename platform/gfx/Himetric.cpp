#include "platform/gfx/Himetric.h"

#include "platform/gfx/MulDiv.h"

namespace platform::gfx {

Rect himetricFromPixels(const Rect& pixels, Resolution resolution)
{
    return {MulDiv(pixels.left, kHimetricPerInch, resolution.x), MulDiv(pixels.top, kHimetricPerInch, resolution.y),
            MulDiv(pixels.right, kHimetricPerInch, resolution.x),
            MulDiv(pixels.bottom, kHimetricPerInch, resolution.y)};
}

Rect pixelsFromHimetric(const Rect& himetric, Resolution resolution)
{
    return {MulDiv(himetric.left, resolution.x, kHimetricPerInch), MulDiv(himetric.top, resolution.y, kHimetricPerInch),
            MulDiv(himetric.right, resolution.x, kHimetricPerInch),
            MulDiv(himetric.bottom, resolution.y, kHimetricPerInch)};
}

} // namespace platform::gfx
