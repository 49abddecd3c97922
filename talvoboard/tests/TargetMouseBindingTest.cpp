#include "talvoboard/TargetMouseBinding.h"

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

TEST(TargetMouseBindingTest, PanKeepsTheViewOnTheFace)
{
    struct Case {
        const char* name;
        LONG wanted;
        LONG visibleLow;
        LONG visibleHigh;
        LONG expected;
    };
    // The face spans -1000..1000.
    const Case cases[] = {
        {"inside", 300, -500, 500, 300},
        {"backwards inside", -300, -500, 500, -300},
        {"past the far edge", 800, -500, 500, 500},
        {"past the near edge", -800, -500, 500, -500},
        {"at the edge", 1, 0, 1000, 0},
        {"view as wide as the face", 10, -1000, 1000, 0},
        {"view wider than the face", -10, -1500, 1500, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, panShift(c.wanted, c.visibleLow, c.visibleHigh, -1000, 1000));
    }
}

} // namespace
} // namespace talvoboard
