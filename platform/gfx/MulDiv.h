#pragma once

#include "platform/com/Types.h"

namespace platform::gfx {

/// GDI's MulDiv: number x numerator / denominator in 64 bits, rounded half away from zero; -1 when the denominator
/// is 0 or the result does not fit in 32 bits. Points, HIMETRIC and pixels convert through it.
LONG MulDiv(LONG number, LONG numerator, LONG denominator);

} // namespace platform::gfx
