#include "platform/text/Number.h"
#include "platform/text/Printf.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace platform::text {
namespace {

TEST(NumberTest, FixedDecimalsAreWhatPrintfGives)
{
    // Halfway cases exact in binary round to even in both; the others are rounded by their exact binary value.
    std::vector<double> values{0.0,
                               -0.0,
                               0.05,
                               0.25,
                               0.35,
                               1.45,
                               2.5,
                               -2.5,
                               9.95,
                               99.95,
                               1e-7,
                               123456.75,
                               1e21,
                               1e300,
                               -1e-300,
                               0.125,
                               0.375,
                               1e15 + 0.5,
                               std::numeric_limits<double>::max(),
                               std::numeric_limits<double>::denorm_min(),
                               std::numeric_limits<double>::infinity(),
                               -std::numeric_limits<double>::infinity(),
                               std::numeric_limits<double>::quiet_NaN()};
    std::mt19937 random(45);
    std::uniform_real_distribution<float> tenths(-1000.0F, 1000.0F);
    for (int i = 0; i < 20000; ++i) {
        values.push_back(static_cast<double>(tenths(random))); // the lists format floats widened to double
    }
    for (const double value : values) {
        for (const int decimals : {0, 1, 2, 6}) {
            EXPECT_EQ(formatFixed(value, decimals), formatC("%.*f", decimals, value)) << value << " " << decimals;
        }
    }
}

} // namespace
} // namespace platform::text
