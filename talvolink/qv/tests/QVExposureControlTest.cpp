#include "talvolink/qv/QVExposureControl.h"

#include <gtest/gtest.h>

#include <vector>

namespace talvolink {
namespace {

using Pixels = std::vector<std::uint8_t>;

Pixels uniform(std::uint8_t level)
{
    return Pixels(64, level);
}

// Half black, half white: the widest spread.
Pixels split()
{
    Pixels pixels(64, 0);
    std::fill(pixels.begin() + 32, pixels.end(), 255);
    return pixels;
}

TEST(QVExposureControlTest, FirstEvaluationFollowsTheBrightness)
{
    const struct {
        const char* name;
        Pixels pixels;
        std::uint8_t gain;
        std::uint16_t exposure;
        int target;
        int step;
        std::uint16_t newExposure;
        std::uint8_t newGain;
    } cases[] = {
        {"black aims 1.2 up, a tenth per frame", uniform(0), 64, 100, 120, 10, 110, 64},
        {"dark mean 112 changes nothing", uniform(112), 64, 100, 100, 0, 100, 64},
        {"bright mean 144 changes nothing", uniform(144), 64, 100, 100, 0, 100, 64},
        {"mean 111 raises", uniform(111), 64, 100, 115, 10, 110, 64},
        {"mean 145 lowers", uniform(145), 64, 100, 88, -10, 90, 64},
        {"small step taken whole", uniform(111), 64, 5, 6, 1, 6, 64},
        {"a tenth rounds half up", uniform(0), 64, 105, 126, 11, 116, 64},
        {"longest exposure stays", uniform(0), 64, 2047, 2047, 0, 2047, 64},
        {"shortest exposure stays", uniform(255), 64, 1, 1, 0, 1, 64},
        {"narrow spread raises gain", uniform(128), 40, 100, 100, 0, 100, 42},
        {"wide spread lowers gain", split(), 40, 100, 100, 0, 100, 38},
        {"highest gain stays", uniform(128), 64, 100, 100, 0, 100, 64},
        {"lowest gain stays", split(), 24, 100, 100, 0, 100, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QVExposureControl control;
        control.gain = c.gain;
        control.setExposure(c.exposure);
        control.OnFrame(c.gain, c.exposure, c.pixels);
        EXPECT_EQ(control.targetExposure, c.target);
        EXPECT_EQ(control.step, c.step);
        EXPECT_EQ(control.exposure, c.newExposure);
        EXPECT_EQ(control.exposureChanged, c.newExposure != c.exposure);
        EXPECT_EQ(control.gain, c.newGain);
        EXPECT_EQ(control.gainChanged, c.newGain != c.gain);
        EXPECT_EQ(control.countdown, QVExposureControl::kFramesPerEvaluation);
    }
}

TEST(QVExposureControlTest, EvaluatesEveryThirdFrameAndStepsTowardsTheTarget)
{
    QVExposureControl control;
    const Pixels black = uniform(0);
    // The sensor reports what it was last asked for.
    const std::vector<std::uint16_t> expected{110, 120, 120, 132, 144, 144};
    std::uint16_t reported = 100;
    for (std::size_t frame = 0; frame < expected.size(); ++frame) {
        SCOPED_TRACE(frame);
        control.OnFrame(64, reported, black);
        EXPECT_EQ(control.exposure, expected[frame]);
        reported = control.exposure;
    }
    EXPECT_EQ(control.targetExposure, 144);
}

TEST(QVExposureControlTest, PendingHoldsEvaluationUntilTheSensorReportsTheRequest)
{
    QVExposureControl control;
    control.pending = true;
    control.OnFrame(60, 100, uniform(0));
    EXPECT_TRUE(control.pending);
    EXPECT_EQ(control.countdown, 0);
    EXPECT_EQ(control.exposure, 100);

    control.OnFrame(64, 100, uniform(0));
    EXPECT_FALSE(control.pending);
    EXPECT_EQ(control.targetExposure, 120);
    EXPECT_EQ(control.exposure, 110);
}

TEST(QVExposureControlTest, IgnoresEmptyAndDisabledFrames)
{
    QVExposureControl control;
    control.OnFrame(64, 100, {});
    EXPECT_EQ(control.countdown, 0);
    control.enabled = false;
    control.OnFrame(64, 100, uniform(0));
    EXPECT_EQ(control.exposure, 100);
    EXPECT_FALSE(control.exposureChanged);
}

} // namespace
} // namespace talvolink
