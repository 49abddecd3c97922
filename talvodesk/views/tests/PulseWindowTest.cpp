#include "talvodesk/views/PulseWindow.h"

#include <QImage>

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kBlue = 0xFF0000FF;
constexpr QRgb kGrey = 0xFFC0C0C0;

QImage imageOf(CPulseWindow& window)
{
    return window.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

/// Whether any pixel of the rectangle is darker than mid grey (the text's strokes).
bool hasInk(const QImage& image, const QRect& rect)
{
    for (int y = rect.top(); y <= rect.bottom(); ++y) {
        for (int x = rect.left(); x <= rect.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

TEST(PulseWindowTest, DrawsHeartPulseAndBarInAnImage)
{
    CPulseWindow window;
    window.resize(32, 200);
    window.SetFlags(true, true);
    window.SetTriggerScale(10);
    EXPECT_EQ(32, window.state().triggerScale);

    // Pulse 0 and trigger 0: the heart without a number, the whole bar (rows 99 to 199) white.
    QImage image = imageOf(window);
    const QRect text(0, 32, 32, 32);
    const QRgb resting = image.pixel(16, 16);
    EXPECT_NE(kWhite, resting);
    EXPECT_FALSE(hasInk(image, text));
    EXPECT_EQ(kGrey, image.pixel(16, 65)); // The band between the parts.
    EXPECT_EQ(kWhite, image.pixel(16, 199));

    // Full scale fills 101 * 100 / 120 = 84 rows of the bar's 101.
    window.SetTriggerValue(32);
    window.SetBeatPhase(0);
    window.SetPulse(72);
    image = imageOf(window);
    EXPECT_EQ(kWhite, image.pixel(16, 115));
    EXPECT_EQ(kBlue, image.pixel(16, 116));
    EXPECT_EQ(kBlue, image.pixel(0, 199));
    EXPECT_NE(resting, image.pixel(16, 16));
    EXPECT_TRUE(hasInk(image, text));

    // New flags reset the values; the trigger part moves up to the top.
    window.SetFlags(false, true);
    EXPECT_EQ(0, window.state().pulse);
    EXPECT_EQ(0, window.state().triggerValue);
    EXPECT_EQ(1, window.state().triggerScale);
    EXPECT_EQ(1, window.state().beatPhase);
    EXPECT_EQ(0, window.layout().symbol.top);
}

} // namespace
} // namespace talvodesk
