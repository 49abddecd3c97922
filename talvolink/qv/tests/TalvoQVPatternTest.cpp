#include "talvolink/qv/TalvoQVPattern.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvolink {
namespace {

constexpr double kNaN = TalvoQVPattern::kNotGiven;

TalvoQVPattern pattern(double distance, double focal, double diameter, double trigger = kNaN)
{
    TalvoQVPattern p;
    p.distance = distance;
    p.focal = focal;
    p.diameter = diameter;
    p.triggerTime = trigger;
    return p;
}

TEST(TalvoQVPatternTest, RefusesInputsWithoutAScale)
{
    const struct {
        const char* name;
        TalvoQVPattern p;
    } cases[] = {
        {"no distance", pattern(0.0, 25.0, 30.5)},
        {"no lens", pattern(10.0, kNaN, 30.5)},
        {"no diameter", pattern(10.0, 25.0, kNaN)},
        {"black too small for one pixel", pattern(10.0, 25.0, 1.0)},
    };
    for (auto c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_FALSE(c.p.compute());
        EXPECT_TRUE(std::isnan(c.p.millimetresPerPixel));
        EXPECT_EQ(c.p.scale, 0);
    }
}

TEST(TalvoQVPatternTest, AirRifleTargetTracksAtScaleTwo)
{
    TalvoQVPattern p = pattern(10.0, 25.0, 30.5, 0.08);
    ASSERT_TRUE(p.compute());
    EXPECT_DOUBLE_EQ(p.millimetresPerPixel, 10.0 * 1000.0 / 25.0 * 0.006);
    // Inner ring 3.5 pixels at scale 1, 0.87 at scale 4: too small there.
    EXPECT_TRUE(p.scales[0].succeeded);
    EXPECT_TRUE(p.scales[1].succeeded);
    EXPECT_FALSE(p.scales[2].succeeded);
    EXPECT_EQ(p.scale, 2);
    EXPECT_EQ(p.secondScale, 1);
    EXPECT_TRUE(p.changeFlag);
    EXPECT_EQ(p.parameter6, 33); // 80 mm at 2.4 mm a pixel
    EXPECT_EQ(p.window, p.scales[1].radius + 2 * 33 / 2);
    for (const auto& scale : p.scales) {
        if (scale.succeeded) {
            EXPECT_EQ(scale.list.front(), (QVPatternEntry{0, 0, 1}));
            EXPECT_LE(scale.radius, TalvoQVPattern::kMaxRadius);
        }
    }
}

TEST(TalvoQVPatternTest, FewPixelsTakeTheFixedPattern)
{
    // The inner ring is 1.1 pixels at scale 4.
    TalvoQVPattern p = pattern(10.0, 25.0, 1.1 * 2.0 * 4.0 * 2.4 / 0.55);
    ASSERT_TRUE(p.compute());
    const auto& smallest = p.scales[2];
    ASSERT_TRUE(smallest.succeeded);
    EXPECT_EQ(smallest.size, 2);
    EXPECT_EQ(smallest.radius, 8);
    ASSERT_EQ(smallest.list.size(), 24U);
    EXPECT_EQ(smallest.list[3], (QVPatternEntry{1, 1, 1}));
    EXPECT_EQ(smallest.list[4], (QVPatternEntry{0, 4, 0}));
    EXPECT_EQ(smallest.list.back(), (QVPatternEntry{-1, 4, 0}));
    EXPECT_EQ(p.scale, 4);
    EXPECT_EQ(p.window, TalvoQVPattern::kMinWindow);
}

TEST(TalvoQVPatternTest, BothChoicesTrackAtScaleFour)
{
    TalvoQVPattern p = pattern(10.0, 25.0, 59.5);
    p.choiceB = true;
    ASSERT_TRUE(p.compute());
    EXPECT_EQ(p.scale, 4);
    EXPECT_EQ(p.secondScale, 4);
}

} // namespace
} // namespace talvolink
