#include "talvoboard/tests/support/Pixels.h"
#include "talvoboard/tests/support/Targets.h"
#include "talvoboard/tests/support/TestEvent.h"

#include "talvoboard/TargetWindow.h"
#include "talvoboard/internal/TargetPainter.h"

#include "platform/com/Bstr.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/IPicture.h"
#include "platform/testing/Matchers.h"
#include "talvodata/tests/support/AimingBuilder.h"

#include <QCoreApplication>
#include <QImage>
#include <QMouseEvent>
#include <QWidget>

#include <gtest/gtest.h>

namespace talvoboard {
namespace {

using platform::com::ComPtr;
using platform::gfx::rgb;
using talvodata::testsupport::AimingBuilder;
using testsupport::colorAt;
using testsupport::countOf;
using testsupport::imageOf;
using testsupport::makeEvent;
using testsupport::makeTarget;

// A new control is 192 pixels square showing the 170 mm face: x mm lies at pixel 96 + x * 192 / 170.
constexpr int kSide = testsupport::kNewControlSide;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kMagenta = 0xFF00FF;
constexpr COLORREF kTraceColor = 0x20C040;

/// The smallest rectangle around the pixels in which two images differ; empty when they are equal.
QRect differenceOf(const QImage& a, const QImage& b)
{
    QRect changed;
    for (int y = 0; y < a.height(); ++y) {
        for (int x = 0; x < a.width(); ++x) {
            if (a.pixel(x, y) != b.pixel(x, y)) {
                changed |= QRect(x, y, 1, 1);
            }
        }
    }
    return changed;
}

class TargetReplayDrawingTest : public testing::Test {
protected:
    TargetReplayDrawingTest()
    {
        EXPECT_HR(S_OK, m_target->put_Event(makeEvent().get()));
        EXPECT_HR(S_OK, m_target->put_BreachColor(kRed));
        EXPECT_HR(S_OK, m_target->put_TraceThickness(0.0f));
        EXPECT_HR(S_OK, m_target->put_TraceHeadingColor(kBlue));
        EXPECT_HR(S_OK, m_target->put_ReplayMarkColor(kMagenta));
    }

    /// Replays m_aiming standing still (no timer), at `seconds` from its shot.
    void replayAt(float seconds)
    {
        ASSERT_HR(S_OK, m_target->put_ReplayAiming(m_aiming.get()));
        ASSERT_HR(S_OK, m_target->put_ReplayPaused(VARIANT_TRUE));
        ASSERT_HR(S_OK, m_target->put_ReplayPosition(seconds));
    }

    int captionPixels() { return countOf(imageOf(m_target.get()), kMagenta, QRect(0, 0, kSide, 48)); }

    ComPtr<ITarget> m_target = makeTarget();
    // 200 samples a second along y = 0, 0.6 mm apart, from -60 mm to the shot at the centre and on to +60 mm: a
    // second of the trace is 120 mm.
    ComPtr<IAiming> m_aiming =
        AimingBuilder().stopSliding().at(-6000, 0).samples(100, 60, 0).shot().samples(100, 60, 0).conclude().build();
};

TEST_F(TargetReplayDrawingTest, TheReplayTraceEndsInItsHeadingAtThePosition)
{
    // 0.3 s before the shot the trace reaches -36 mm (pixel 55); the heading covers the last 0.1 s from -48 mm.
    replayAt(-0.3f);
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kTraceColor, colorAt(image, 35, 96));
    EXPECT_EQ(kBlue, colorAt(image, 48, 96));
    EXPECT_NE(kBlue, colorAt(image, 62, 96));
    EXPECT_NE(kTraceColor, colorAt(image, 62, 96));
    EXPECT_NE(kRed, colorAt(image, 96, 94)); // The shot is still ahead.
}

TEST_F(TargetReplayDrawingTest, ABreachAppearsOnceTheReplayPassesItsShot)
{
    // 0.1 s after the shot: the breach, the trace up to the shot and the heading from there to +12 mm.
    replayAt(0.1f);
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kRed, colorAt(image, 96, 94));
    EXPECT_EQ(kTraceColor, colorAt(image, 85, 96));
    EXPECT_EQ(kBlue, colorAt(image, 104, 96));
    EXPECT_NE(kBlue, colorAt(image, 115, 96));

    // Back before the shot, the breach is gone again.
    ASSERT_HR(S_OK, m_target->put_ReplayPosition(-0.2f));
    EXPECT_NE(kRed, colorAt(imageOf(m_target.get()), 96, 94));
}

TEST_F(TargetReplayDrawingTest, TheWindowGrowsTheReplayForwardsInPlace)
{
    QWidget* widget = nullptr;
    ASSERT_HR(S_OK, m_target.queryInterface<ITargetWindow>()->GetWidget(&widget));
    const auto grab = [widget] { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    replayAt(-0.3f);
    QImage image = grab();
    EXPECT_EQ(kBlue, colorAt(image, 48, 96));
    EXPECT_GT(countOf(image, kMagenta, QRect(0, 0, kSide, 48)), 0);

    // Forwards without a shot: the former heading is repainted in the trace colour behind the new one.
    ASSERT_HR(S_OK, m_target->put_ReplayPosition(-0.15f));
    image = grab();
    EXPECT_EQ(kTraceColor, colorAt(image, 48, 96));
    EXPECT_EQ(kBlue, colorAt(image, 72, 96));
    EXPECT_NE(kRed, colorAt(image, 96, 94));

    // Over the shot: its breach and the trace on in the interval colours; the heading follows at the next step.
    ASSERT_HR(S_OK, m_target->put_ReplayPosition(0.1f));
    image = grab();
    EXPECT_EQ(kRed, colorAt(image, 96, 94));
    EXPECT_EQ(kTraceColor, colorAt(image, 72, 96));
    EXPECT_EQ(0x0000FFu, colorAt(image, 104, 96)); // The after-shot colour.
}

TEST_F(TargetReplayDrawingTest, NothingOfTheReplayStaysOnceItStops)
{
    replayAt(0.1f);
    ASSERT_HR(S_OK, m_target->put_ReplayAiming(nullptr));
    const QImage image = imageOf(m_target.get());
    EXPECT_NE(kTraceColor, colorAt(image, 35, 96));
    EXPECT_NE(kRed, colorAt(image, 96, 94));
    EXPECT_EQ(0, countOf(image, kMagenta, QRect(0, 0, kSide, 48)));
}

TEST_F(TargetReplayDrawingTest, TheCaptionShowsItsLabelWhileDisplayed)
{
    EXPECT_EQ(0, captionPixels());
    replayAt(-0.3f);
    const int paused = captionPixels();
    EXPECT_GT(paused, 0);

    ASSERT_HR(S_OK, m_target->put_ReplayPaused(VARIANT_FALSE));
    const int running = captionPixels();
    EXPECT_GT(running, 0);
    // "REPLAY PAUSED" is longer than "REPLAY".
    EXPECT_GT(paused, running);
    ASSERT_HR(S_OK, m_target->put_ReplayPaused(VARIANT_TRUE)); // No timer ticks into the test.

    ASSERT_HR(S_OK, m_target->put_DisplayReplayMark(VARIANT_FALSE));
    EXPECT_EQ(0, captionPixels());
}

TEST_F(TargetReplayDrawingTest, AShotCorrectionShowsTheBreachAtItsMovedPlace)
{
    ASSERT_HR(S_OK, m_target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->put_Dragable(VARIANT_TRUE));
    const auto aiming = AimingBuilder().samples(20).shot().build();
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));
    const QImage before = imageOf(m_target.get());

    // 20 mm to the right: a dotted line from the breach at pixel 96 to a ring around pixel 118.
    ASSERT_HR(S_OK, m_target->SetShotCorrection(shot.get(), 20.0f, 0.0f));
    const QImage after = imageOf(m_target.get());
    const QRect changed = differenceOf(before, after);
    EXPECT_TRUE(QRect(94, 92, 30, 9).contains(changed))
        << changed.x() << "," << changed.y() << " " << changed.width() << "x" << changed.height();
    EXPECT_FALSE(differenceOf(before.copy(114, 92, 9, 9), after.copy(114, 92, 9, 9)).isEmpty());
    EXPECT_EQ(kRed, colorAt(after, 96, 94)); // The breach itself stays where it hit.
}

TEST(TargetDragFeedbackTest, DrawnTwiceTheFeedbackLeavesTheImageAsItWas)
{
    TargetState state;
    state.event = makeEvent();
    state.visible = {-8500, -8500, 8500, 8500};
    const auto aiming = AimingBuilder().samples(20).shot().build();
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));

    TargetOverlay zoom;
    zoom.drawingZoomRectangle = true;
    zoom.zoomAnchor = {-3000, -2000};
    zoom.zoomCurrent = {4000, 5000};
    TargetOverlay drag;
    drag.dragShot = shot.get();
    drag.draggingShot = true;
    drag.dragCurrent = {2500, -1000};
    const struct {
        const char* name;
        const TargetOverlay& overlay;
        bool zoomRectangle;
    } cases[] = {{"zoom rectangle", zoom, true}, {"dragged shot", drag, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QImage image(kSide, kSide, QImage::Format_RGB32);
        for (int y = 0; y < kSide; ++y) {
            for (int x = 0; x < kSide; ++x) {
                image.setPixel(x, y, qRgb(x, y, (x * y) & 0xFF));
            }
        }
        const QImage original = image.copy();
        platform::gfx::DrawContextQt context(image);
        TargetPainter painter(context, TargetDrawSurface({0, 0, kSide, kSide}, state.visible), state, c.overlay);
        painter.dragFeedback();
        EXPECT_EQ(c.zoomRectangle, painter.zoomRectangleDrawn());
        EXPECT_NE(original, image);
        EXPECT_EQ(platform::gfx::RasterOp::CopyPen, context.state().rasterOp);
        painter.dragFeedback();
        EXPECT_EQ(original, image);
    }
}

TEST_F(TargetReplayDrawingTest, TheWindowShowsTheZoomRectangleUntilTheButtonGoesUp)
{
    QWidget* widget = nullptr;
    ASSERT_HR(S_OK, m_target.queryInterface<ITargetWindow>()->GetWidget(&widget));
    const auto grab = [widget] { return widget->grab().toImage().convertToFormat(QImage::Format_RGB32); };
    const auto send = [widget](QEvent::Type type, QPoint pixel) {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, QPointF(pixel), QPointF(widget->mapToGlobal(pixel)), Qt::LeftButton, held,
                          Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    };
    const QImage before = grab();
    send(QEvent::MouseButtonPress, {40, 40});
    send(QEvent::MouseMove, {50, 50});
    const QRect changed = differenceOf(before, grab());
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_TRUE(QRect(38, 38, 15, 15).contains(changed))
        << changed.x() << "," << changed.y() << " " << changed.width() << "x" << changed.height();

    // Too small to zoom to, the rectangle is only taken away.
    send(QEvent::MouseButtonRelease, {50, 50});
    EXPECT_EQ(before, grab());
}

} // namespace
} // namespace talvoboard
