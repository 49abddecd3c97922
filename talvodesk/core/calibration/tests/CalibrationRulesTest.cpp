#include "talvodesk/core/calibration/CalibrationRules.h"

#include "talvodesk/core/calibration/AveragedSampleBuffer.h"
#include "talvodesk/core/calibration/CalibrationDrawing.h"
#include "talvodesk/core/options/AppModule.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace talvodesk;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInfinity = std::numeric_limits<float>::infinity();
const CTalvoAppModule& kEnglish = ModuleOrEnglish(nullptr);

TEST(CalibrationRulesTest, LabelsFillTheirFormats)
{
    EXPECT_EQ("Piezo sensitivity: 100.0%", PiezoSensitivityText(1023, kEnglish));
    EXPECT_EQ("Piezo sensitivity: 0.5%", PiezoSensitivityText(5, kEnglish));
    EXPECT_EQ("Piezo sensitivity: 50.0%", PiezoSensitivityText(511, kEnglish));
    EXPECT_EQ("Leds brightness: 7", LedsBrightnessText(7, kEnglish));
    EXPECT_EQ("Lamps brightness: 0", LampsBrightnessText(0, kEnglish));
}

TEST(CalibrationRulesTest, ModelVersionChoosesTheVariantAndTheLevelScale)
{
    struct Case {
        long model;
        long level;
        CalibrationVariant variant;
        long shown;
    };
    const Case cases[] = {
        {307, 4000, CalibrationVariant::Serial, 4000},    {499, 300, CalibrationVariant::Serial, 300},
        {500, 4000, CalibrationVariant::UsbOptical, 425}, {599, 3999, CalibrationVariant::UsbOptical, 424},
        {500, 100, CalibrationVariant::UsbOptical, 10},   {600, 4000, CalibrationVariant::ImageSensor, 425},
        {600, 9, CalibrationVariant::ImageSensor, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.model);
        EXPECT_EQ(c.variant, CalibrationVariantOf(c.model));
        EXPECT_EQ(c.shown, ScaledSignalLevel(c.model, c.level));
    }
}

TEST(CalibrationRulesTest, OpticalReadingGivesDistanceAndWorkingCircle)
{
    struct Case {
        float second, seventh, x, y;
        float distance, diameter;
        bool inside;
    };
    const Case cases[] = {
        {2, 5, 100, 190, 10, 440, true},  // 214.7 mm from the centre, within 220
        {2, 5, 100, 200, 10, 440, false}, // 223.6 mm
        {2, 5, 0, 220, 10, 440, true},    // on the edge
        {1, 2, 0, 0, 2, 0, true},         // 120 - 160 is held at 0; the centre itself is inside
        {1, 2, 0, 1, 2, 0, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        const auto reading = OpticalReadingFrom(DeviceDataFrom({0, c.second, c.x, c.y, 0, 0, c.seventh, 0, 0}));
        ASSERT_TRUE(reading);
        EXPECT_FLOAT_EQ(c.distance, reading->distance);
        EXPECT_FLOAT_EQ(c.diameter, reading->workingDiameter);
        EXPECT_EQ(c.inside, reading->inside);
    }
}

TEST(CalibrationRulesTest, ValuesThatAreNotNumbersAreAbsent)
{
    for (const float bad : {kNaN, kInfinity, -kInfinity}) {
        SCOPED_TRACE(bad);
        for (const std::size_t index : {1U, 2U, 3U, 6U}) {
            std::array<float, 9> raw{0, 2, 1, 1, 0, 0, 5, 80, 3.7F};
            raw[index] = bad;
            EXPECT_FALSE(OpticalReadingFrom(DeviceDataFrom(raw)));
        }
        EXPECT_EQ(" (3.70V)",
                  OpticalStatusText(DeviceDataFrom({0, 0, 0, 0, 0, 0, 0, bad, 3.7F}), std::nullopt, kEnglish));
        EXPECT_EQ("Battery: 80%",
                  OpticalStatusText(DeviceDataFrom({0, 0, 0, 0, 0, 0, 0, 80.7F, bad}), std::nullopt, kEnglish));
    }
}

TEST(CalibrationRulesTest, StatusLineJoinsBatteryVoltageAndDistance)
{
    const DeviceData data = DeviceDataFrom({0, 0, 0, 0, 0, 0, 0, 80.7F, 3.7F});
    EXPECT_EQ("Battery: 80% (3.70V) Distance: 10.25 m", OpticalStatusText(data, 10.25F, kEnglish));
    EXPECT_EQ(
        "Distance: 7.00 m",
        OpticalStatusText(DeviceDataFrom({kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN}), 7.0F, kEnglish));
    EXPECT_EQ("Battery: 1000000%", OpticalStatusText(DeviceDataFrom({0, 0, 0, 0, 0, 0, 0, 3e30F, kNaN}), {}, kEnglish));
}

TEST(CalibrationRulesTest, DirectionIsInWholeDegreesClockwiseFromTheRight)
{
    struct Case {
        float x, y;
        int degrees;
    };
    const Case cases[] = {
        {1, 0, 0},          {0, 1, 90}, {-1, 0, 180},    {0, -1, 270},
        {1, 1, 45},         {0, 0, 0},  {1, -0.004F, 0}, // 359.8 rounds to 360, which is 0
        {-1, -0.004F, 180},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << "," << c.y);
        EXPECT_EQ(c.degrees, AimDirection(c.x, c.y));
    }
}

TEST(CalibrationRulesTest, AverageKeepsTheLastTwentyValues)
{
    AveragedSampleBuffer buffer;
    EXPECT_EQ(0.0F, buffer.Average());
    for (int i = 1; i <= 3; ++i) {
        buffer.Add(static_cast<float>(i));
    }
    EXPECT_FLOAT_EQ(2.0F, buffer.Average());
    EXPECT_FALSE(buffer.IsFull());
    for (int i = 4; i <= 25; ++i) {
        buffer.Add(static_cast<float>(i));
        EXPECT_EQ(i >= 20, buffer.IsFull());
    }
    EXPECT_FLOAT_EQ(15.5F, buffer.Average()); // 6..25
    buffer.Clear();
    EXPECT_FALSE(buffer.IsFull());
    EXPECT_EQ(0.0F, buffer.Average());
    buffer.Add(4);
    EXPECT_FLOAT_EQ(4.0F, buffer.Average());
}

TEST(CalibrationRulesTest, GeometryTakesASquareAndTwoMargins)
{
    struct Case {
        platform::gfx::Rect area;
        CalibrationVariant variant;
        float extent;
        platform::gfx::Rect square;
        platform::gfx::Rect disc;
        double pixelsPerMm;
    };
    const Case cases[] = {
        {{0, 0, 300, 200}, CalibrationVariant::Serial, 84, {50, 0, 250, 200}, {66, 16, 234, 184}, 1.0},
        {{10, 10, 260, 410}, CalibrationVariant::UsbOptical, 52.5F, {10, 85, 260, 335}, {30, 105, 240, 315}, 2.0},
        {{0, 0, 250, 250}, CalibrationVariant::ImageSensor, 500, {0, 0, 250, 250}, {20, 20, 230, 230}, 105 / 68.5},
        {{0, 0, 250, 250}, CalibrationVariant::Serial, 0, {0, 0, 250, 250}, {20, 20, 230, 230}, 0.0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.area.right);
        const CalibrationGeometry geometry = CalibrationGeometryOf(c.area, c.variant, c.extent);
        EXPECT_EQ(c.square, geometry.square);
        EXPECT_EQ(c.disc, geometry.disc);
        EXPECT_DOUBLE_EQ(c.pixelsPerMm, geometry.pixelsPerMm);
    }
    const CalibrationGeometry geometry = CalibrationGeometryOf({0, 0, 300, 200}, CalibrationVariant::Serial, 84);
    EXPECT_EQ((platform::gfx::Point{234, 58}), geometry.toPixel(84, -42));
    EXPECT_EQ((platform::gfx::Point{1000000, -1000000}), geometry.toPixel(3e30F, -kInfinity));
}

TEST(CalibrationRulesTest, ArrowTipLiesTwoPixelsOutsideTheDisc)
{
    const CalibrationGeometry geometry = CalibrationGeometryOf({0, 0, 300, 200}, CalibrationVariant::Serial, 84);
    using platform::gfx::Point;
    struct Case {
        int degrees;
        std::array<Point, 3> corners;
    };
    // Radius 84 around (150, 100), margin 8: the tip at 86, the corners 16 back at +-30 degrees.
    const Case cases[] = {
        {0, {Point{236, 100}, Point{222, 92}, Point{222, 108}}},
        {90, {Point{150, 186}, Point{158, 172}, Point{142, 172}}},
        {180, {Point{64, 100}, Point{78, 108}, Point{78, 92}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.degrees);
        EXPECT_EQ(c.corners, DirectionArrow(geometry, c.degrees));
    }
}

} // namespace
