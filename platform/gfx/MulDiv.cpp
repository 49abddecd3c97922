#include "platform/gfx/MulDiv.h"

#include <cstdint>
#include <cstdlib>

namespace platform::gfx {

LONG MulDiv(LONG number, LONG numerator, LONG denominator)
{
    if (denominator == 0) {
        return -1;
    }
    const std::int64_t product = static_cast<std::int64_t>(number) * numerator;
    const std::int64_t divisor = denominator;
    const bool negative = (product < 0) != (divisor < 0);
    const std::int64_t magnitude = (std::llabs(product) + std::llabs(divisor) / 2) / std::llabs(divisor);
    return static_cast<LONG>(negative ? -magnitude : magnitude);
}

} // namespace platform::gfx
