#include "talvodesk/core/calibration/CalibrationDrawing.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/PictureObject.h"

#include <QImage>

#include <gtest/gtest.h>

using namespace talvodesk;

namespace {

constexpr QRgb kGrey = 0xFFC0C0C0;
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kGreen = 0xFFC0FFC0;
constexpr QRgb kRed = 0xFFFF0000;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kBlack = 0xFF000000;

/// A 250 x 250 area: the white disc spans 20..229 around (125, 125), one pixel per millimetre for an extent of 105.
QImage render(const CalibrationPicture& picture)
{
    QImage image(250, 250, QImage::Format_RGB32);
    image.fill(Qt::magenta);
    platform::gfx::DrawContextQt context(image);
    DrawCalibrationTarget(context, {0, 0, 250, 250}, picture);
    return image;
}

struct Probe {
    int x;
    int y;
    QRgb color;
};

void expectPixels(const QImage& image, std::initializer_list<Probe> probes)
{
    for (const Probe& probe : probes) {
        SCOPED_TRACE(testing::Message() << probe.x << "," << probe.y);
        EXPECT_EQ(probe.color, image.pixel(probe.x, probe.y));
    }
}

CalibrationPicture picture(CalibrationVariant variant)
{
    CalibrationPicture picture;
    picture.variant = variant;
    picture.extent = 105;
    return picture;
}

TEST(CalibrationDrawingTest, SerialTargetHasDiscWorkingCircleAndArrow)
{
    CalibrationPicture serial = picture(CalibrationVariant::Serial);
    serial.direction = 0;
    expectPixels(render(serial), {
                                     {5, 5, kGrey},
                                     {19, 125, kGrey},
                                     {20, 125, kWhite},
                                     {125, 229, kWhite},
                                     {125, 230, kGrey},
                                     {153, 125, kGreen}, // working circle, radius 0.3 x 105
                                     {160, 125, kWhite},
                                     {226, 125, kRed}, // arrow tip at 232
                                     {233, 125, kGrey},
                                     {125, 226, kWhite},
                                 });
    serial.direction = 90;
    expectPixels(render(serial), {{125, 226, kRed}, {226, 125, kWhite}});
    serial.direction = 225;
    expectPixels(render(serial), {{54, 54, kRed}, {196, 196, kWhite}});
    serial.direction = -1;
    expectPixels(render(serial), {{226, 125, kWhite}});
}

TEST(CalibrationDrawingTest, ShotDiscHidesTheAimAndItsLines)
{
    CalibrationPicture serial = picture(CalibrationVariant::Serial);
    serial.aimVisible = true;
    serial.aimX = -40;
    serial.aimY = 20;
    expectPixels(render(serial), {{85, 145, kBlack},
                                  {80, 145, kBlack},
                                  {3, 145, kBlack},
                                  {85, 3, kBlack},
                                  {3, 146, kGrey},
                                  {90, 145, kBlack},
                                  {91, 140, kWhite}});
    serial.shotShown = true;
    serial.shotX = 50;
    serial.shotY = -30;
    expectPixels(render(serial), {{170, 95, kBlue},
                                  {175, 90, kBlue},
                                  {179, 95, kBlue},
                                  {175, 99, kBlue},
                                  {180, 95, kWhite},
                                  {175, 100, kWhite},
                                  {3, 145, kGrey},
                                  {85, 145, kWhite}});
}

TEST(CalibrationDrawingTest, UsbTargetShowsItsWorkingCircleAndStatus)
{
    CalibrationPicture usb = picture(CalibrationVariant::UsbOptical);
    usb.workingDiameter = 100;
    usb.status = "Battery: 80%";
    const QImage image = render(usb);
    expectPixels(image, {{170, 125, kGreen}, {180, 125, kWhite}, {125, 80, kGreen}});
    int black = 0;
    for (int y = 220; y < 243; ++y) {
        for (int x = 8; x < 120; ++x) {
            black += image.pixel(x, y) == kBlack ? 1 : 0;
        }
    }
    EXPECT_GT(black, 20);
    EXPECT_EQ(kGrey, image.pixel(7, 238));
    EXPECT_EQ(kGrey, image.pixel(30, 243)); // below the baseline's descent-free text
}

TEST(CalibrationDrawingTest, ImageSensorSpansFixedExtentWithoutWorkingCircle)
{
    CalibrationPicture sensor = picture(CalibrationVariant::ImageSensor);
    sensor.workingDiameter = 100;
    sensor.aimVisible = true;
    sensor.aimX = 68.5F; // the disc's edge, whatever the event
    expectPixels(render(sensor),
                 {{150, 130, kWhite}, {227, 122, kBlack}, {236, 130, kGrey}, {230, 3, kBlack}, {229, 3, kGrey}});

    platform::gfx::Bitmap bitmap{2, 2, std::vector<COLORREF>(4, 0x00FFFF)};
    const auto preview = platform::gfx::PictureObject::create(platform::gfx::Picture::fromBitmap(bitmap));
    sensor.preview = preview.get();
    sensor.aimVisible = false;
    expectPixels(render(sensor), {{125, 125, 0xFFFFFF00}, {21, 21, 0xFFFFFF00}, {5, 5, kGrey}});
}

} // namespace
