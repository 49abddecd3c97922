#include "platform/gfx/Picture.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"

#include <gtest/gtest.h>

#include <QImage>

namespace platform::gfx {
namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kWhite = 0xFFFFFF;

COLORREF pixelAt(const QImage& image, int x, int y)
{
    const QRgb pixel = image.pixel(x, y);
    return rgb(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)), static_cast<BYTE>(qBlue(pixel)));
}

QImage whiteImage(int size)
{
    QImage image(size, size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image;
}

TEST(PictureTest, PlayedTwiceAsLargeDrawsScaledShapes)
{
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 20, 20}, kBlue);
    recorder.setPen({PenStyle::InsideFrame, 2, kRed});
    recorder.setBrush({BrushStyle::Hollow, 0});
    recorder.rectangle({5, 5, 15, 15});
    const Picture picture = recorder.finish();

    QImage image = whiteImage(50);
    {
        DrawContextQt dc(image);
        dc.drawPicture(picture, {0, 0, 40, 40});
    }
    struct Case {
        int x;
        COLORREF expected;
    };
    // Along row 20: background, a pen of 4 pixels from x = 10, the inside, the pen up to x = 29, background.
    const Case cases[] = {{9, kBlue}, {10, kRed}, {13, kRed},  {14, kBlue}, {25, kBlue},
                          {26, kRed}, {29, kRed}, {30, kBlue}, {39, kBlue}, {40, kWhite}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.x);
        EXPECT_EQ(c.expected, pixelAt(image, c.x, 20));
    }
}

TEST(PictureTest, PictureClipStaysInsideTheTargetClip)
{
    PictureRecorder recorder;
    recorder.setClipRect({0, 0, 40, 40});
    recorder.fillRect({0, 0, 40, 40}, kRed);
    recorder.clearClip();
    recorder.fillRect({0, 0, 40, 40}, kRed);
    const Picture picture = recorder.finish();

    QImage image = whiteImage(40);
    {
        DrawContextQt dc(image);
        dc.setClipRect({0, 0, 20, 40});
        dc.drawPicture(picture, {0, 0, 40, 40});
        dc.fillRect({0, 39, 40, 40}, kBlue); // the target's own clip is back after the picture
    }
    EXPECT_EQ(kRed, pixelAt(image, 19, 10));
    EXPECT_EQ(kWhite, pixelAt(image, 20, 10));
    EXPECT_EQ(kBlue, pixelAt(image, 19, 39));
    EXPECT_EQ(kWhite, pixelAt(image, 20, 39));
}

TEST(PictureTest, BitmapPictureIsStretchedAndMirrored)
{
    const Bitmap bitmap{2, 1, {kRed, kBlue}};
    const Picture picture = Picture::fromBitmap(bitmap);
    QImage image = whiteImage(10);
    {
        DrawContextQt dc(image);
        dc.drawPicture(picture, {0, 0, 4, 2});
        dc.drawPicture(picture, {4, 2, 0, 4}); // right to left
    }
    EXPECT_EQ(kRed, pixelAt(image, 1, 1));
    EXPECT_EQ(kBlue, pixelAt(image, 2, 1));
    EXPECT_EQ(kBlue, pixelAt(image, 1, 3));
    EXPECT_EQ(kRed, pixelAt(image, 2, 3));
    EXPECT_EQ(kWhite, pixelAt(image, 4, 1));
}

TEST(PictureTest, RecordedTextLaysOutLikeDirectText)
{
    QImage direct = whiteImage(60);
    QImage played = whiteImage(60);
    const auto drawLabel = [](DrawContext& dc) {
        dc.setFont(Font{u"Times", -14});
        dc.setTextColor(kRed);
        dc.setBackgroundMode(BackgroundMode::Transparent);
        Rect box{0, 0, 60, 60};
        (void)dc.drawText(u"10", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP);
    };
    {
        DrawContextQt dc(direct);
        drawLabel(dc);
    }
    PictureRecorder recorder;
    recorder.fillRect({0, 0, 60, 60}, kWhite);
    drawLabel(recorder);
    const Picture picture = recorder.finish();
    {
        DrawContextQt dc(played);
        dc.drawPicture(picture, {0, 0, 60, 60});
    }
    EXPECT_EQ(direct, played);
}

} // namespace
} // namespace platform::gfx
