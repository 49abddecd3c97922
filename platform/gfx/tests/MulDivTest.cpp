#include "platform/gfx/MulDiv.h"

#include <gtest/gtest.h>

#include <limits>

using platform::gfx::MulDiv;

namespace {

TEST(MulDivTest, RoundsHalfAwayFromZeroAndAnswersMinusOneWhereNoResultFits)
{
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    struct Case {
        LONG number;
        LONG numerator;
        LONG denominator;
        LONG expected;
    };
    const Case cases[] = {
        {1, 96, 72, 1},                          // 1.33
        {3, 1, 2, 2},                            // 1.5 rounds up
        {-3, 1, 2, -2},                          // -1.5 rounds away from zero
        {3, -1, -2, 2},                          // two negatives
        {5, 1, 0, -1},                           // no denominator
        {0, 0, 0, -1},       {kMax, 2, 2, kMax}, // the product needs 64 bits, the result does not
        {kMax, 1, 1, kMax},                      // the largest result
        {kMin, 1, 1, kMin},                      // the smallest result
        {kMax, 2, 1, -1},                        // too large
        {kMin, 2, 1, -1},                        // too small
        {kMin, -1, 1, -1},                       // 2^31 does not fit
        {kMax, kMax, 1, -1}, {kMax, kMax, kMax, kMax},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.number << " x " << c.numerator << " / " << c.denominator);
        EXPECT_EQ(c.expected, MulDiv(c.number, c.numerator, c.denominator));
    }
}

} // namespace
