#include "talvoboard/internal/ColorIntervals.h"

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

constexpr OLE_COLOR kBefore = 0x20C040;
constexpr OLE_COLOR kAfter = 0x0000FF;

TEST(ColorIntervalsTest, NormalisesOverlapsLaterIntervalsWin)
{
    struct Case {
        const char* name;
        std::vector<ColorInterval> added;
        std::vector<ColorInterval> expected;
    };
    const std::vector<Case> cases{
        {"defaults only", {}, {{kBefore, -1000.0f, 0.0f}, {kAfter, 0.0f, 1000.0f}}},
        {"two overlapping added",
         {{1, -1.0f, -0.2f}, {2, -0.5f, 0.3f}},
         {{kBefore, -1000.0f, -1.0f}, {1, -1.0f, -0.5f}, {2, -0.5f, 0.3f}, {kAfter, 0.3f, 1000.0f}}},
        {"one inside the before-shot colour splits it",
         {{1, -2.0f, -1.0f}},
         {{kBefore, -1000.0f, -2.0f}, {1, -2.0f, -1.0f}, {kBefore, -1.0f, 0.0f}, {kAfter, 0.0f, 1000.0f}}},
        {"reversed bounds are swapped",
         {{1, 0.5f, -0.5f}},
         {{kBefore, -1000.0f, -0.5f}, {1, -0.5f, 0.5f}, {kAfter, 0.5f, 1000.0f}}},
        {"a later interval covering everything leaves only itself", {{3, -2000.0f, 2000.0f}}, {{3, -2000.0f, 2000.0f}}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(test.name);
        ColorIntervals intervals(kBefore, kAfter);
        for (const ColorInterval& interval : test.added) {
            intervals.add(interval.from, interval.to, interval.color);
        }
        EXPECT_EQ(test.expected, intervals.normalized());
    }
}

TEST(ColorIntervalsTest, RecolouringAfterNormalisingIsSeen)
{
    ColorIntervals intervals(kBefore, kAfter);
    ASSERT_EQ(kBefore, intervals.normalized().front().color);
    intervals.recolor(0, 0x123456);
    EXPECT_EQ(0x123456u, intervals.normalized().front().color);
}

TEST(ColorIntervalsTest, ResetDropsAddedIntervals)
{
    ColorIntervals intervals(kBefore, kAfter);
    intervals.add(-1.0f, 1.0f, 7);
    ASSERT_EQ(3u, intervals.normalized().size());
    intervals.reset(1, 2);
    const std::vector<ColorInterval> expected{{1, -1000.0f, 0.0f}, {2, 0.0f, 1000.0f}};
    EXPECT_EQ(expected, intervals.normalized());
}

} // namespace
} // namespace talvoboard
