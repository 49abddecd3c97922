#include "talvodesk/core/trace/PulsePanel.h"

#include <gtest/gtest.h>

#include <limits>

namespace talvodesk {
namespace {

using platform::gfx::Rect;

TEST(PulsePanelTest, LaysThePartsOutFromTheTop)
{
    struct Case {
        bool pulse;
        bool trigger;
        Rect heart, text, symbol, bar, band;
    };
    const Case cases[] = {
        {true, true, {0, 0, 32, 32}, {0, 32, 32, 64}, {0, 67, 32, 99}, {0, 99, 32, 300}, {0, 64, 32, 67}},
        {true, false, {0, 0, 32, 32}, {0, 32, 32, 64}, {}, {}, {0, 64, 32, 300}},
        {false, true, {}, {}, {0, 0, 32, 32}, {0, 32, 32, 300}, {0, 0, 32, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.pulse << c.trigger);
        const PulseLayout layout = LayoutPulsePanel({0, 0, 32, 300}, c.pulse, c.trigger);
        EXPECT_EQ(c.heart, layout.heart);
        EXPECT_EQ(c.text, layout.text);
        EXPECT_EQ(c.symbol, layout.symbol);
        EXPECT_EQ(c.bar, layout.bar);
        EXPECT_EQ(c.band, layout.band);
    }
    // A panel shorter than its symbol gets an empty bar, never an inverted one.
    EXPECT_TRUE(LayoutPulsePanel({0, 0, 32, 20}, false, true).bar.isEmpty());
}

TEST(PulsePanelTest, TheBarLevelUsesIntegerArithmeticWithinTheBar)
{
    struct Case {
        std::int32_t value;
        std::int32_t scale;
        LONG level;
    };
    // A bar of 120 rows from 100 to 220: full scale fills five sixths (100 rows).
    const Case cases[] = {
        {0, 32, 220},  // All white.
        {32, 32, 120}, // Five sixths.
        {1, 32, 217},  // 120 * 1 * 100 / 32 = 375, / 120 = 3.
        {40, 32, 100}, // 125 rows would pass the top: held there.
        {-5, 32, 220}, // Below zero stays empty.
        {10, 0, 100},  // A scale of 0 counts as 1.
        {std::numeric_limits<std::int32_t>::max(), 32, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.value << " of " << c.scale);
        EXPECT_EQ(c.level, TriggerBarLevel({0, 100, 32, 220}, c.value, c.scale));
    }
    EXPECT_EQ(32, RaisedTriggerScale(10));
    EXPECT_EQ(33, RaisedTriggerScale(33));
}

} // namespace
} // namespace talvodesk
