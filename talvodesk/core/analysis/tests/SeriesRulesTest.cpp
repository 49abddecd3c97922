#include "talvodesk/core/analysis/SeriesRules.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

using namespace talvodesk;

namespace {

TEST(SeriesRulesTest, ShotListPutsTheTargetBesideANarrowTableAndAboveAWideOne)
{
    struct Case {
        LONG width;
        LONG table;
        bool biathlon;
        ShotListTarget expected;
    };
    // Lines of 16 pixels: the table is 10 x 16 + 21 = 181 high.
    const Case cases[] = {
        {600, 200, false, {400, 206, true}},  // 181 + 200 fits 600: beside, 11 lines + 30 high
        {381, 200, false, {181, 206, true}},  // exactly fits
        {380, 200, false, {217, 181, false}}, // above: 181 x 12 / 10 wide
        {150, 200, false, {150, 181, false}}, // no wider than the pane
        {300, 100, true, {300, 188, false}},  // the plate, 160 x 100, across the pane
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.width);
        const ShotListTarget target = ShotListTargetSize(c.width, c.table, 16, c.biathlon, 160, 100);
        EXPECT_EQ(c.expected.width, target.width);
        EXPECT_EQ(c.expected.height, target.height);
        EXPECT_EQ(c.expected.sideBySide, target.sideBySide);
    }
}

TEST(SeriesRulesTest, SpareWidthGoesAPixelAtATimeToTheShownColumnsInOrder)
{
    struct Case {
        std::array<bool, 4> shown;
        LONG spare;
        std::array<LONG, 4> expected;
    };
    const Case cases[] = {
        {{true, false, true, true}, 5, {12, 10, 12, 11}},
        {{true, true, true, true}, 0, {10, 10, 10, 10}},
        {{true, true, true, true}, -7, {10, 10, 10, 10}},
        {{false, false, false, false}, 9, {10, 10, 10, 10}},
    };
    for (const Case& c : cases) {
        std::array<LONG, 4> widths{10, 10, 10, 10};
        SpreadSpareWidth(widths, c.shown, c.spare);
        EXPECT_EQ(c.expected, widths) << c.spare;
    }
}

TEST(SeriesRulesTest, SeriesGridTakesTheLargestSquaresAndBreaksTiesByTheFullerLastRow)
{
    struct Case {
        int series;
        LONG width;
        LONG height;
        int columns;
        int rows;
        LONG size;
        LONG cellWidth;
        LONG cellHeight;
    };
    const Case cases[] = {
        // Wide and low: one row of seven, as large as the height allows.
        {7, 1000, 130, 7, 1, 130, 138, 130},
        // Square: three by three.
        {7, 400, 400, 3, 3, 130, 130, 130},
        // Two by two and three by two both give 50: the full last row (2 targets) beats a row of one.
        {4, 200, 105, 2, 2, 50, 97, 50},
        {1, 300, 200, 1, 1, 200, 300, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.series);
        const SeriesGrid grid = ChooseSeriesGrid(c.series, c.width, c.height);
        EXPECT_EQ(c.columns, grid.columns);
        EXPECT_EQ(c.rows, grid.rows);
        EXPECT_EQ(c.size, grid.size);
        EXPECT_EQ(c.cellWidth, grid.cellWidth);
        EXPECT_EQ(c.cellHeight, grid.cellHeight);
    }
}

TEST(SeriesRulesTest, WheelScrollsTwentyPixelsPerStepAndKeepsTheRemainder)
{
    struct Case {
        std::vector<int> deltas;
        int lines;
        std::vector<LONG> pixels;
        int pending;
    };
    const Case cases[] = {
        {{120}, 3, {-60}, 0},  {{120}, -1, {-20}, 0},        // page scrolling: one step a notch
        {{-120}, 3, {60}, 0},  {{60, 60}, 3, {-40, -60}, 0}, // half notches scroll on the accumulated delta
        {{200}, 1, {-40}, 80}, {{-50}, 1, {20}, -50},
    };
    for (const Case& c : cases) {
        WheelAccumulator wheel;
        std::vector<LONG> pixels;
        for (const int delta : c.deltas) {
            pixels.push_back(wheel.scroll(delta, c.lines));
        }
        EXPECT_EQ(c.pixels, pixels) << c.deltas.front();
        EXPECT_EQ(c.pending, wheel.pending());
    }
}

TEST(SeriesRulesTest, NavigationKeysMapToStepsScrollsAndReplay)
{
    using Action = SeriesKey::Action;
    struct Case {
        std::uint32_t key;
        Action action;
        int amount;
    };
    const Case cases[] = {
        {0x20, Action::Replay, 0}, {0x25, Action::Scroll, -10}, {0x27, Action::Scroll, 10}, {0x26, Action::Step, -1},
        {0x28, Action::Step, 1},   {0x21, Action::Step, -2},    {0x22, Action::Step, 2},    {0x24, Action::Step, -3},
        {0x23, Action::Step, 3},   {0x0D, Action::None, 0},     {'A', Action::None, 0},
    };
    for (const Case& c : cases) {
        const SeriesKey key = MapSeriesKey(c.key);
        EXPECT_EQ(c.action, key.action) << c.key;
        EXPECT_EQ(c.amount, key.amount) << c.key;
    }
    EXPECT_EQ(std::chrono::milliseconds(250), KeyboardSelectionDelay(std::nullopt));
    EXPECT_EQ(std::chrono::milliseconds(250), KeyboardSelectionDelay(0));
    EXPECT_EQ(std::chrono::milliseconds(500), KeyboardSelectionDelay(1));
    EXPECT_EQ(std::chrono::milliseconds(1000), KeyboardSelectionDelay(3));
}

TEST(SeriesRulesTest, ExtentsSnapOutwardToTheFirstRingThatHoldsThem)
{
    const std::array<float, 3> radii{2.5F, 5.0F, 10.0F};
    struct Case {
        float extent;
        float expected;
    };
    const Case cases[] = {{0, 2.5F}, {2.5F, 2.5F}, {2.6F, 5.0F}, {9.9F, 10.0F}, {11.0F, 11.0F}};
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, FirstRadiusHolding(c.extent, radii)) << c.extent;
    }
}

TEST(SeriesRulesTest, ScrollIntoViewMovesAsLittleAsItCanAndRefusesTallRowsUnlessForced)
{
    struct Case {
        LONG top;
        LONG bottom;
        bool force;
        std::optional<LONG> expected;
    };
    // The client is 100 high, scrolled to 200.
    const Case cases[] = {
        {220, 260, false, 200}, // wholly visible
        {180, 220, false, 180}, // starts above: its top at the top
        {280, 320, false, 220}, // ends below: its bottom at the bottom
        {500, 540, false, 440}, // wholly below
        {10, 50, false, 10},    // wholly above
        {150, 400, false, std::nullopt},
        {150, 400, true, 150},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.expected, ScrollIntoView(c.top, c.bottom, 200, 100, c.force)) << c.top;
    }
    EXPECT_EQ(0, ClampScroll(-5, 999, 100));
    EXPECT_EQ(900, ClampScroll(950, 999, 100));
    EXPECT_EQ(0, ClampScroll(30, 50, 100));
}

} // namespace
