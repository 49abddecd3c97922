#include "talvolink/qv/QVRecord.h"
#include "talvolink/qv/tests/support/QVFrames.h"
#include "talvolink/usb/Bytes.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace talvolink {
namespace {

using testsupport::QVFrameFields;

QVFrameRecord frameRecord(const QVFrameFields& fields)
{
    QVFrameRecord record{2};
    const auto header = testsupport::qvHeader(fields, 0);
    std::ranges::copy(header, record.begin() + 1);
    return record;
}

template <typename T> T field(const DeviceRecord& record, std::size_t offset)
{
    return bytes::get<T>(std::span(reinterpret_cast<const std::uint8_t*>(&record), sizeof record), offset);
}

TEST(QVRecordTest, AngleIsTheAxesDirectionTurnedAQuarter)
{
    const struct {
        int x;
        int y;
        double angle;
    } cases[] = {
        {0, 0, 1.57079632675},
        {0, 100, 3.1415926535},
        {0, -100, 4.71238898025 + 1.57079632675 - 6.283185307},
        {100, 0, 1.57079632675},
        {100, 100, 0.7853981633974483 + 1.57079632675},
        {100, -100, -0.7853981633974483 + 6.283185307 + 1.57079632675 - 6.283185307},
        {-100, 0, 3.1415926535 + 1.57079632675 - 6.283185307},
        {-100, -100, 0.7853981633974483 + 3.1415926535 + 1.57079632675 - 6.283185307},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y);
        EXPECT_DOUBLE_EQ(QVAngle(static_cast<std::uint16_t>(2048 + c.x), static_cast<std::uint16_t>(2048 + c.y)),
                         c.angle);
    }
}

TEST(QVRecordTest, ShotLevelFollowsTheForeignShotFilter)
{
    const struct {
        std::uint8_t event;
        std::uint32_t counter;
        bool filter;
        std::int16_t piezo;
    } cases[] = {
        {4, 750, true, 100},
        {4, 749, true, 0},
        {4, 749, false, 100},
        {3, 750, true, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << int{c.event} << " " << c.counter << " " << c.filter);
        const auto record = BuildQVRecord(frameRecord({.level = 300, .counter = c.counter, .event = c.event}), 7,
                                          {.millimetresPerPixel = 1.0, .filterForeignShots = c.filter});
        EXPECT_EQ(std::int16_t{record.piezo}, c.piezo);
    }
}

TEST(QVRecordTest, PositionIsInMillimetresFromTheReference)
{
    const auto record = BuildQVRecord(frameRecord({.x = 370.0F, .y = 250.0F, .axisX = 2148, .axisY = 2048}),
                                      0x1'0000'0002, {376.0, 240.0, 0.5, true});
    EXPECT_EQ(std::uint64_t{record.timeStamp}, 0x1'0000'0002U);
    EXPECT_EQ(record.aimValid, 1);
    EXPECT_DOUBLE_EQ(double{record.angle}, 1.57079632675);
    EXPECT_DOUBLE_EQ(field<double>(record, qvrecord::kX), 3.0);
    EXPECT_DOUBLE_EQ(field<double>(record, qvrecord::kY), -5.0);
    EXPECT_DOUBLE_EQ(field<double>(record, qvrecord::kPixelX), 370.0);
    EXPECT_DOUBLE_EQ(field<double>(record, qvrecord::kReferenceY), 240.0);
    EXPECT_EQ(field<std::int32_t>(record, 491), -1);
    EXPECT_DOUBLE_EQ(field<double>(record, 499), 2148.0);
    EXPECT_EQ(field<std::uint8_t>(record, qvrecord::kKind), 2);
}

TEST(QVRecordTest, RecordWithoutFinitePositionIsInvalid)
{
    constexpr double nan = std::numeric_limits<double>::quiet_NaN();
    const struct {
        const char* name;
        QVFrameFields fields;
        double scale;
    } cases[] = {
        {"no scale yet", {}, nan},
        {"pixel position not a number", {.x = std::numeric_limits<float>::quiet_NaN()}, 1.0},
        {"infinite pixel position", {.y = std::numeric_limits<float>::infinity()}, 1.0},
        {"sensor says not valid", {.valid = false}, 1.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(BuildQVRecord(frameRecord(c.fields), 0, {376.0, 240.0, c.scale, true}).aimValid, 0);
    }
}

} // namespace
} // namespace talvolink
