#include "talvoboard/tests/support/Pixels.h"
#include "talvoboard/tests/support/Targets.h"
#include "talvoboard/tests/support/TestEvent.h"

#include "talvoboard/TargetWidget.h"
#include "talvoboard/TargetWindow.h"

#include "platform/com/Variant.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/CoverageCache.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/IPicture.h"
#include "platform/testing/Matchers.h"
#include "talvodata/tests/support/AimingBuilder.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>

namespace talvoboard {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::gfx::rgb;
using talvodata::testsupport::AimingBuilder;
using testsupport::colorAt;
using testsupport::countOf;
using testsupport::imageOf;
using testsupport::makeEvent;
using testsupport::makeTarget;

// A new control is 192 pixels square; the test face is 170 mm, so a plane unit is 192 / 17000 pixels and the
// target centre is pixel (96, 96).
constexpr int kSide = testsupport::kNewControlSide;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kGreen = 0x00FF00;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kMagenta = 0xFF00FF;

/// What the window shows now.
QImage windowOf(ITarget* target)
{
    QWidget* widget = nullptr;
    EXPECT_HR(S_OK, ComPtr<ITarget>(target).queryInterface<ITargetWindow>()->GetWidget(&widget));
    return widget->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

class TargetPainterTest : public testing::Test {
protected:
    TargetPainterTest()
    {
        EXPECT_HR(S_OK, m_target->put_Event(makeEvent().get()));
        EXPECT_HR(S_OK, m_target->put_BreachColor(kRed));
        EXPECT_HR(S_OK, m_target->put_TraceThickness(0.0f));
    }

    ComPtr<ITarget> m_target = makeTarget();
};

TEST_F(TargetPainterTest, DrawsABreachInItsColourWhereTheShotHitWithoutFlippingY)
{
    // (20, -10) mm lies right of and above the centre: pixel (118, 84).
    ASSERT_HR(S_OK, m_target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->Add(AimingBuilder().at(2000, -1000).samples(20).shot().build().get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kRed, colorAt(image, 118, 84));
    EXPECT_NE(kRed, colorAt(image, 118, 108));
}

TEST_F(TargetPainterTest, ABreachBelowSevenPixelsIsDrawnSixWide)
{
    // Calibre 4.5 mm is 450 units, 5 pixels: drawn from 93 to 98 around the centre.
    ASSERT_HR(S_OK, m_target->Add(AimingBuilder().samples(20).shot().build().get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kRed, colorAt(image, 96, 96));
    EXPECT_EQ(6, countOf(image, kRed, QRect(80, 96, 32, 1)));
    EXPECT_EQ(kRed, colorAt(image, 93, 96));
    EXPECT_EQ(kRed, colorAt(image, 98, 96));
}

TEST_F(TargetPainterTest, DrawsTheFacePictureIntoTheMappedFace)
{
    ComPtr<IEventParams> event;
    ASSERT_HR(S_OK, m_target->get_Event(event.put()));
    ASSERT_HR(S_OK, testsupport::faceOf(event.get())->put_Black(testsupport::kRings[6]));
    ComPtr<IDispatch> face;
    ASSERT_HR(S_OK, event->GetTargetAppearance(1, VARIANT_TRUE, VARIANT_TRUE, face.put()));
    OLE_COLOR background = 0;
    ASSERT_HR(S_OK, testsupport::faceOf(event.get())->get_BackgroundColor(&background));
    QImage expected(kSide, kSide, QImage::Format_RGB32);
    {
        platform::gfx::DrawContextQt context(expected);
        context.fillRect({0, 0, kSide, kSide}, platform::gfx::resolveColor(background));
        // The face fills the view: from the mapped corner, two pixels short of the mapped far corner.
        ASSERT_HR(S_OK, face.queryInterface<IPicture>()->Render(&context, 0, 0, kSide - 2, kSide - 2));
    }
    ASSERT_NE(expected.pixel(0, 0), expected.pixel(96, 96)); // The face draws something over its background.
    EXPECT_EQ(expected, imageOf(m_target.get()));
}

TEST_F(TargetPainterTest, AHiddenShotIsCrossed)
{
    const auto aiming = AimingBuilder().samples(20).shot().build();
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    EXPECT_EQ(kRed, colorAt(imageOf(m_target.get()), 96, 96));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->get_Shot(1, shot.put()));
    ASSERT_HR(S_OK, shot->put_Hidden(VARIANT_TRUE));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(0x000000u, colorAt(image, 96, 96));
    EXPECT_EQ(0x000000u, colorAt(image, 95, 97));
    EXPECT_EQ(kRed, colorAt(image, 94, 96));
}

TEST_F(TargetPainterTest, TheStepOverTheShotIsSplitAtItsMicrophonePhase)
{
    // Samples every 6 mm up to the shot at x = 0; the step from -6 mm to 0 changes colour at -3 mm.
    ASSERT_HR(S_OK, m_target->put_DisplayBreach(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->put_TraceColor(kGreen));
    const auto aiming = AimingBuilder().stopSliding().at(-6000, 0).samples(11, 600, 0).build();
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, aiming->AddShot2(VARIANT_FALSE, 0.5, shot.put()));
    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
    for (LONG x = 600; x <= 6000; x += 600) {
        ASSERT_HR(S_OK, trace->_Add(x, 0));
    }
    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kGreen, colorAt(image, 90, 96)); // -4.5 mm.
    EXPECT_EQ(kRed, colorAt(image, 94, 96));   // -1.5 mm, already after the shot.
    EXPECT_EQ(kRed, colorAt(image, 110, 96));
}

TEST_F(TargetPainterTest, AShotIndexFarOutsideTheTraceStillDrawsTheTrace)
{
    ASSERT_HR(S_OK, m_target->put_DisplayBreach(VARIANT_FALSE));
    for (const LONG index : {std::numeric_limits<LONG>::max(), std::numeric_limits<LONG>::min()}) {
        SCOPED_TRACE(index);
        const auto aiming = talvodata::testsupport::withTraceIndex(
            AimingBuilder().stopSliding().at(-6000, 0).samples(21, 600, 0).shot().conclude().build().get(), index);
        ASSERT_HR(S_OK, m_target->Clear());
        ASSERT_HR(S_OK, m_target->Add(aiming.get()));
        EXPECT_FALSE(imageOf(m_target.get()).isNull()); // Drawn without overflowing the index arithmetic.
    }
}

TEST_F(TargetPainterTest, ColoursTheTraceBeforeAndAfterTheShot)
{
    // Along y = 0 from x = -60 mm to +60 mm with the shot in the middle; a hairline on row 96.
    const auto aiming =
        AimingBuilder().stopSliding().at(-6000, 0).samples(100, 60, 0).shot().samples(100, 60, 0).conclude().build();
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(0x20C040u, colorAt(image, 62, 96));
    EXPECT_EQ(kRed, colorAt(image, 129, 96));
    EXPECT_NE(0x20C040u, colorAt(image, 62, 95));
    EXPECT_NE(0x20C040u, colorAt(image, 62, 97));

    ASSERT_HR(S_OK, m_target->put_TraceColor(kGreen));
    ASSERT_HR(S_OK, m_target->put_TraceAfterShotColor(kBlue));
    ASSERT_HR(S_OK, m_target->AddTraceInterval(-1.0f, -0.3f, kMagenta));
    const QImage recoloured = imageOf(m_target.get());
    EXPECT_EQ(kMagenta, colorAt(recoloured, 41, 96)); // 0.4 s before the shot.
    EXPECT_EQ(kGreen, colorAt(recoloured, 85, 96));   // 0.15 s before it.
    EXPECT_EQ(kBlue, colorAt(recoloured, 129, 96));
}

TEST_F(TargetPainterTest, ALiveTraceShowsItsHeading)
{
    // No shot: the trace colour, and the last 0.1 s (20 samples, 12 mm) in the heading colour.
    ASSERT_HR(S_OK, m_target->put_TraceHeadingColor(kBlue));
    const auto aiming = AimingBuilder().stopSliding().at(-6000, 0).samples(201, 60, 0).build();
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    QImage image = imageOf(m_target.get());
    EXPECT_EQ(0x20C040u, colorAt(image, 62, 96));
    EXPECT_EQ(kBlue, colorAt(image, 155, 96));

    // Concluded, the heading is gone at the next full drawing.
    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    image = imageOf(m_target.get());
    EXPECT_EQ(0x20C040u, colorAt(image, 155, 96));
}

TEST_F(TargetPainterTest, AnInvalidSampleBreaksTheTrace)
{
    const auto aiming = AimingBuilder().stopSliding().at(-6000, 0).samples(50, 60, 0).build();
    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
    ASSERT_HR(S_OK, trace->AddInvalid());
    ASSERT_HR(S_OK, trace->_Add(0, 0));
    ASSERT_HR(S_OK, trace->AddInvalid());
    ASSERT_HR(S_OK, trace->_Add(3000, 0));
    ASSERT_HR(S_OK, trace->_Add(6000, 0));
    ASSERT_HR(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(0x20C040u, colorAt(image, 50, 96));  // The first piece.
    EXPECT_NE(0x20C040u, colorAt(image, 94, 96));  // Nothing joins it to the lone sample at the centre.
    EXPECT_NE(0x20C040u, colorAt(image, 110, 96)); // Nor the lone sample to the last piece.
    EXPECT_EQ(0x20C040u, colorAt(image, 140, 96)); // The last piece.
}

TEST_F(TargetPainterTest, DrawsTheSelectedBreachInTheSelectedColour)
{
    ASSERT_HR(S_OK, m_target->put_SelectedBreachColor(kGreen));
    const auto left = AimingBuilder().at(-2000, 0).samples(20).shot().build();
    const auto right = AimingBuilder().at(2000, 0).samples(20).shot().build();
    ASSERT_HR(S_OK, m_target->Add(left.get()));
    ASSERT_HR(S_OK, m_target->Add(right.get()));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, left->get_Shot(1, shot.put()));
    ASSERT_HR(S_OK, m_target->put_SelectedShot(shot.get()));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(kGreen, colorAt(image, 73, 96));
    EXPECT_EQ(kRed, colorAt(image, 118, 96));
    ComPtr<IAiming> last;
    ASSERT_HR(S_OK, m_target->get_Item(2, last.put()));
    EXPECT_EQ(static_cast<IAiming*>(left.get()), last.get()); // The selected aiming is drawn last.
}

TEST_F(TargetPainterTest, ElementsMarkedBsLieUnderTheBreaches)
{
    ASSERT_HR(S_OK, m_target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->Add(AimingBuilder().samples(20).shot().build().get()));
    ComPtr<ITargetElement> element;
    ASSERT_HR(S_OK, m_target->AddElement(elementRectangle, -5.0f, -5.0f, 10.0f, 10.0f, element.put()));
    ASSERT_HR(S_OK, element->put_Fill(VARIANT_TRUE));
    ASSERT_HR(S_OK, element->put_BodyColor(kBlue));
    ASSERT_HR(S_OK, element->put_BorderColor(kBlue));
    EXPECT_EQ(kBlue, colorAt(imageOf(m_target.get()), 96, 96));

    ASSERT_HR(S_OK, element->put_Value(Bstr("_bs").get(), platform::com::Variant::fromBool(false).get()));
    QImage image = imageOf(m_target.get());
    EXPECT_EQ(kRed, colorAt(image, 96, 96));
    EXPECT_EQ(kBlue, colorAt(image, 92, 92));
}

TEST_F(TargetPainterTest, SightingShowsTheMarkInTheTopRightCorner)
{
    EXPECT_NE(0x00FFFFu, colorAt(imageOf(m_target.get()), 190, 1));
    ASSERT_HR(S_OK, m_target->put_Match(VARIANT_FALSE));
    const QImage image = imageOf(m_target.get());
    EXPECT_EQ(0x00FFFFu, colorAt(image, 190, 1));
    EXPECT_EQ(0x00FFFFu, colorAt(image, 156, 0));
    EXPECT_NE(0x00FFFFu, colorAt(image, 160, 30));
}

TEST_F(TargetPainterTest, LabelsSitAtTheBottomCorners)
{
    ASSERT_HR(S_OK, m_target->put_LabelColor(kMagenta));
    ASSERT_HR(S_OK, m_target->put_Label(2, Bstr("8.5").get()));
    QImage image = imageOf(m_target.get());
    EXPECT_GT(countOf(image, kMagenta, QRect(96, 150, 96, 42)), 0);
    EXPECT_EQ(0, countOf(image, kMagenta, QRect(0, 0, 96, 192)));
    EXPECT_EQ(0, countOf(image, kMagenta, QRect(96, 0, 96, 150)));

    ASSERT_HR(S_OK, m_target->put_Label(2, nullptr));
    ASSERT_HR(S_OK, m_target->put_Label(1, Bstr("8.5").get()));
    image = imageOf(m_target.get());
    EXPECT_GT(countOf(image, kMagenta, QRect(0, 150, 96, 42)), 0);
    // The shading under it: grey where the pattern bit is 0.
    EXPECT_EQ(0x808080u, colorAt(image, 1, 191));
}

TEST(TargetPainterNoEventTest, SaysSoInDesignModeAndShowsTheWindowColourInUserMode)
{
    const auto target = makeTarget();
    QImage image = imageOf(target.get());
    const COLORREF window = platform::gfx::sysColor(platform::gfx::COLOR_WINDOW);
    EXPECT_EQ(kSide * kSide, countOf(image, window, QRect(0, 0, kSide, kSide)));

    ASSERT_HR(S_OK, target.queryInterface<ITargetWindow>()->put_UserMode(VARIANT_FALSE));
    image = imageOf(target.get());
    QImage expected(kSide, kSide, QImage::Format_RGB32);
    {
        platform::gfx::DrawContextQt context(expected);
        context.fillRect({0, 0, kSide, kSide}, 0xFFFFFF);
        context.setBrush({platform::gfx::BrushStyle::Hollow, 0});
        context.rectangle({0, 0, kSide, kSide});
        context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
        const platform::gfx::TextMetrics metrics = context.textMetrics();
        context.textOut({metrics.aveCharWidth, metrics.height / 2}, u"Event not specified.");
    }
    EXPECT_EQ(expected, image);
    EXPECT_GT(countOf(image, 0x000000, QRect(2, 2, 100, 20)), 20);
}

TEST_F(TargetPainterTest, RedrawsAskedWhileUpdatesAreOffWaitForThem)
{
    const QImage before = windowOf(m_target.get());
    ASSERT_HR(S_OK, m_target->put_EnableUpdate(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->put_DisplayTrace(VARIANT_FALSE));
    ASSERT_HR(S_OK, m_target->Add(AimingBuilder().samples(20).shot().build().get()));
    EXPECT_EQ(before, windowOf(m_target.get()));
    ASSERT_HR(S_OK, m_target->put_EnableUpdate(VARIANT_TRUE));
    EXPECT_EQ(kRed, colorAt(windowOf(m_target.get()), 96, 96));
}

TEST_F(TargetPainterTest, AGrowingAimingIsDrawnIntoTheWindow)
{
    ASSERT_HR(S_OK, m_target->put_TraceHeadingColor(kBlue));
    const auto aiming = AimingBuilder().stopSliding().at(-6000, 0).samples(50, 60, 0).build();
    ASSERT_HR(S_OK, m_target->Add(aiming.get()));
    (void)windowOf(m_target.get());
    ComPtr<IAimingTrace> trace;
    ASSERT_HR(S_OK, aiming->get_Trace(trace.put()));
    for (LONG x = -3000; x <= 6000; x += 60) {
        ASSERT_HR(S_OK, trace->_Add(x, 0));
    }
    ASSERT_HR(S_OK, m_target->UpdateAiming(aiming.get()));
    const QImage image = windowOf(m_target.get());
    EXPECT_EQ(0x20C040u, colorAt(image, 62, 96));  // Drawn before.
    EXPECT_EQ(0x20C040u, colorAt(image, 129, 96)); // Drawn by the update, now past the heading.
    EXPECT_EQ(kBlue, colorAt(image, 155, 96));     // The new heading.
}

TEST_F(TargetPainterTest, MetafileImageDrawsTheSameBreach)
{
    ASSERT_HR(S_OK, m_target->Add(AimingBuilder().at(2000, -1000).samples(20).shot().build().get()));
    ComPtr<IDispatch> image;
    ASSERT_HR(S_OK, m_target->GetImage(VARIANT_TRUE, image.put()));
    const auto picture = image.queryInterface<IPicture>();
    ASSERT_TRUE(picture);
    SHORT type = 0;
    ASSERT_HR(S_OK, picture->get_Type(&type));
    EXPECT_EQ(PICTYPE_ENHMETAFILE, type);
    OLE_XSIZE_HIMETRIC width = 0;
    ASSERT_HR(S_OK, picture->get_Width(&width));
    EXPECT_EQ(5080, width);
    EXPECT_EQ(kRed, colorAt(imageOf(m_target.get(), VARIANT_TRUE), 118, 84));
}

/// FNV-1a over the pixels, so a whole drawing is pinned by one number.
std::uint64_t digestOf(const QImage& image)
{
    std::uint64_t hash = 14695981039346656037u;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            hash = (hash ^ (image.pixel(x, y) & 0xFFFFFFu)) * 1099511628211u;
        }
    }
    return hash;
}

/// An aiming held as a rifle is: a wander with a few pixels of jitter on every sample, from a fixed seed.
ComPtr<IAiming> jitteredAiming(unsigned seed, LONG centreX, LONG centreY, bool concluded, bool withGap)
{
    AimingBuilder builder;
    const auto aiming = builder.stopSliding().build();
    ComPtr<IAimingTrace> trace;
    EXPECT_HR(S_OK, aiming->get_Trace(trace.put()));
    unsigned state = seed;
    const auto jitter = [&state] {
        state = state * 1103515245u + 12345u;
        return static_cast<LONG>((state >> 16) % 41) - 20;
    };
    for (int i = 0; i < 600; ++i) {
        if (i == 400) {
            builder.shot();
        }
        if (withGap && i == 200) {
            EXPECT_HR(S_OK, trace->AddInvalid());
        }
        const double t = i / 200.0 + seed;
        // Drawn in this order, as the pixels were recorded: arguments may be evaluated in any order.
        const LONG jitterY = jitter();
        const LONG jitterX = jitter();
        EXPECT_HR(S_OK, trace->_Add(centreX + static_cast<LONG>(600 * std::sin(t * 1.3)) + jitterX,
                                    centreY + static_cast<LONG>(500 * std::cos(t * 0.9)) + jitterY));
    }
    if (concluded) {
        builder.conclude();
    }
    return aiming;
}

// The window's drawing of jittered traces with pens 2, 3, 6 and 13 pixels wide, recorded from the drawing that filled
// every outline afresh: a redraw and the image must keep every pixel of it, however it comes by them.
TEST_F(TargetPainterTest, JitteredTracesKeepTheirRecordedPixels)
{
    ASSERT_HR(S_OK, m_target->put_Zoom(9.0f)); // 27.5 mm across: 14 units a pixel.
    ASSERT_HR(S_OK, m_target->put_TraceHeadingColor(kBlue));
    ASSERT_HR(S_OK, m_target->Add(jitteredAiming(1, -300, -200, /*concluded=*/true, /*withGap=*/false).get()));
    ASSERT_HR(S_OK, m_target->Add(jitteredAiming(2, 400, 300, /*concluded=*/true, /*withGap=*/true).get()));
    ASSERT_HR(S_OK, m_target->Add(jitteredAiming(3, 0, 500, /*concluded=*/false, /*withGap=*/false).get()));
    const struct {
        float thickness;
        std::uint64_t digest;
    } cases[] = {{0.1f, 15347487167275465782u},
                 {0.5f, 14644223414731744797u},
                 {1.0f, 6007619236896203399u},
                 {2.0f, 3032563377167808234u}};
    for (const auto& test : cases) {
        SCOPED_TRACE(test.thickness);
        ASSERT_HR(S_OK, m_target->put_TraceThickness(test.thickness));
        const QImage shown = windowOf(m_target.get());
        ASSERT_HR(S_OK, m_target->Refresh());
        EXPECT_EQ(shown, windowOf(m_target.get()));
        EXPECT_EQ(shown, imageOf(m_target.get()));
        EXPECT_EQ(test.digest, digestOf(shown));
    }
}

// Zoomed in, many long traces take the pool longer than a frame to measure: the window first shows them drawn
// fast, and draws itself again with the exact traces, the image's pixels, as soon as the pool is done.
TEST_F(TargetPainterTest, AZoomShowsFastTracesUntilThePoolHasMeasuredTheExactOnes)
{
    ASSERT_HR(S_OK, m_target->put_TraceThickness(0.5f));
    for (unsigned seed = 1; seed <= 48; ++seed) {
        const auto offset = static_cast<LONG>(seed % 7) * 90 - 270;
        ASSERT_HR(S_OK, m_target->Add(jitteredAiming(seed, offset, -offset / 2, /*concluded=*/true,
                                                     /*withGap=*/seed % 5 == 0)
                                          .get()));
    }
    QWidget* widget = nullptr;
    ASSERT_HR(S_OK, m_target.queryInterface<ITargetWindow>()->GetWidget(&widget));
    const platform::gfx::CoverageCache& cache = static_cast<TargetWidget*>(widget)->coverageCache();
    for (const float zoom : {9.0f, 8.0f}) {
        SCOPED_TRACE(zoom);
        ASSERT_HR(S_OK, m_target->put_Zoom(zoom));
        (void)windowOf(m_target.get());
        EXPECT_TRUE(cache.measuring()) << "the traces were not left to the pool";
        while (cache.measuring()) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        const QImage shown = windowOf(m_target.get());
        EXPECT_FALSE(cache.measuring());
        EXPECT_EQ(imageOf(m_target.get()), shown);
    }
}

} // namespace
} // namespace talvoboard
