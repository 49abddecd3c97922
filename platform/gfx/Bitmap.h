#pragma once

#include "platform/com/Types.h"

#include <vector>

namespace platform::gfx {

/// Pixels of an image, row by row from the top, each a COLORREF (0x00BBGGRR); pixels.size() is width x height.
struct Bitmap {
    LONG width = 0;
    LONG height = 0;
    std::vector<COLORREF> pixels;

    bool isValid() const
    {
        return width > 0 && height > 0 &&
               pixels.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    }
};

} // namespace platform::gfx
