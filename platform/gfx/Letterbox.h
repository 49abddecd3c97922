#pragma once

#include "platform/gfx/Geometry.h"

#include <cstdint>

namespace platform::gfx {

/// `box` narrowed about its centre to the aspect of content `width` by `height`, the ratio taken in thousandths and
/// each margin rounded up, in the integer steps GDI hosts use. Computed in 64 bits: pixel and unit products pass 32.
/// A zero side on either leaves `box` as it is.
constexpr Rect letterbox(Rect box, std::int64_t width, std::int64_t height)
{
    const std::int64_t boxWidth = box.width();
    const std::int64_t boxHeight = box.height();
    if (width == 0 || height == 0 || boxWidth == 0 || boxHeight == 0) {
        return box;
    }
    const std::int64_t aspect = width * 1000 / height;
    if (aspect != 0 && boxWidth * 1000 / boxHeight < aspect) {
        const auto margin = static_cast<LONG>((boxHeight - boxWidth * 1000 / aspect + 1) / 2);
        box.top += margin;
        box.bottom -= margin;
    } else {
        const auto margin = static_cast<LONG>((boxWidth - boxHeight * aspect / 1000 + 1) / 2);
        box.left += margin;
        box.right -= margin;
    }
    return box;
}

} // namespace platform::gfx
