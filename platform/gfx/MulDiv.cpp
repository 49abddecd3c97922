#include "platform/gfx/MulDiv.h"

#include <cstdint>
#include <cstdlib>
#include <limits>

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
    const std::int64_t result = negative ? -magnitude : magnitude;
    if (result > std::numeric_limits<LONG>::max() || result < std::numeric_limits<LONG>::min()) {
        return -1;
    }
    return static_cast<LONG>(result);
}

} // namespace platform::gfx
