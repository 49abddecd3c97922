#include "talvodata/EventParams.h"

#include "talvodata/tests/support/Events.h"

#include "platform/com/MemoryStream.h"
#include "platform/com/Variant.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/PictureObject.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <QImage>

#include <cmath>
#include <numbers>

namespace talvodata {
namespace {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

constexpr COLORREF kGrey = 0xC0C0C0;
constexpr COLORREF kBlack = 0x000000;
constexpr COLORREF kWhite = 0xFFFFFF;
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr COLORREF kGreen = 0x00FF00;

// Faces 80 mm wide are rendered at 20 pixels per millimetre, so every ring edge falls on a whole pixel.
constexpr int kPixelsPerMm = 20;
constexpr int kSize = 80 * kPixelsPerMm;
constexpr int kCentre = kSize / 2;

QImage renderFace(IEventParams& event, VARIANT_BOOL background = VARIANT_TRUE, VARIANT_BOOL rings = VARIANT_TRUE)
{
    QImage image(kSize, kSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    ComPtr<IDispatch> picture;
    EXPECT_HR(S_OK, event.GetTargetAppearance(1, background, rings, picture.put()));
    const ComPtr<IPicture> drawable = picture.queryInterface<IPicture>();
    EXPECT_TRUE(drawable);
    if (drawable) {
        platform::gfx::DrawContextQt context(image);
        EXPECT_HR(S_OK, drawable->Render(&context, 0, 0, kSize, kSize));
    }
    return image;
}

COLORREF pixelAt(const QImage& image, double xMm, double yMm)
{
    const QRgb pixel = image.pixel(static_cast<int>(std::floor(kCentre + xMm * kPixelsPerMm)),
                                   static_cast<int>(std::floor(kCentre + yMm * kPixelsPerMm)));
    return platform::gfx::rgb(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)),
                              static_cast<BYTE>(qBlue(pixel)));
}

// The pixel whose centre lies within a pixel of radiusPx on a ray at 30 degrees, clear of the numbers on the axes.
COLORREF onRay(const QImage& image, double radiusPx)
{
    const double angle = std::numbers::pi / 6;
    const QRgb pixel = image.pixel(static_cast<int>(std::floor(kCentre + radiusPx * std::cos(angle))),
                                   static_cast<int>(std::floor(kCentre + radiusPx * std::sin(angle))));
    return platform::gfx::rgb(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)),
                              static_cast<BYTE>(qBlue(pixel)));
}

int countInWindow(const QImage& image, double xMm, double yMm, int half, COLORREF color)
{
    const int cx = static_cast<int>(std::lround(kCentre + xMm * kPixelsPerMm));
    const int cy = static_cast<int>(std::lround(kCentre + yMm * kPixelsPerMm));
    const QRgb wanted = qRgb(platform::gfx::redOf(color), platform::gfx::greenOf(color), platform::gfx::blueOf(color));
    int count = 0;
    for (int y = cy - half; y <= cy + half; ++y) {
        for (int x = cx - half; x <= cx + half; ++x) {
            count += (image.pixel(x, y) & 0xFFFFFF) == (wanted & 0xFFFFFF) ? 1 : 0;
        }
    }
    return count;
}

TEST(FacePixelsTest, AirRifleBlackAndRingLinesLieAtTheirRadii)
{
    auto event = testsupport::shippedEvent("AR10");
    ASSERT_TRUE(event);
    const QImage image = renderFace(*event);

    struct Ring {
        int n;
        double diameter; // mm
        COLORREF line;
        COLORREF around;
    };
    // Rings 1 to 3 are black lines on the grey card, 5 to 9 white lines inside the black; ring 4 is the black's edge.
    const Ring rings[] = {{1, 45.5, kBlack, kGrey},  {2, 40.5, kBlack, kGrey},  {3, 35.5, kBlack, kGrey},
                          {5, 25.5, kWhite, kBlack}, {6, 20.5, kWhite, kBlack}, {7, 15.5, kWhite, kBlack},
                          {8, 10.5, kWhite, kBlack}, {9, 5.5, kWhite, kBlack}};
    for (const Ring& ring : rings) {
        SCOPED_TRACE(ring.n);
        const double radius = ring.diameter * kPixelsPerMm / 2;
        // The 0.1 mm pen is two pixels wide and lies inside the ring's diameter.
        EXPECT_EQ(ring.line, onRay(image, radius - 1));
        EXPECT_EQ(ring.around, onRay(image, radius - 5));
        EXPECT_EQ(ring.around, onRay(image, radius + 4));
    }
    const double blackRadius = 30.5 * kPixelsPerMm / 2;
    // Filled without a pen, the disc ends a pixel early towards the right and bottom, as GDI fills it.
    EXPECT_EQ(kBlack, onRay(image, blackRadius - 2));
    EXPECT_EQ(kGrey, onRay(image, blackRadius + 1));
    // The 10 ring is a filled white dot of 0.5 mm.
    EXPECT_EQ(kWhite, pixelAt(image, 0, 0));
    EXPECT_EQ(kWhite, pixelAt(image, 0.2, 0));
    EXPECT_EQ(kBlack, pixelAt(image, 0.4, 0.4));
    // Outside the scoring area the card shows.
    EXPECT_EQ(kGrey, pixelAt(image, 39.9, 39.9));
}

TEST(FacePixelsTest, AirRifleRingNumbersSitBetweenTheirRingsOnTheAxes)
{
    auto event = testsupport::shippedEvent("AR10");
    ASSERT_TRUE(event);
    const QImage image = renderFace(*event);
    const QImage withoutRings = renderFace(*event, VARIANT_TRUE, VARIANT_FALSE);

    const double diameters[] = {45.5, 40.5, 35.5, 30.5, 25.5, 20.5, 15.5, 10.5, 5.5, 0.5};
    for (int m = 1; m <= 9; ++m) {
        SCOPED_TRACE(m);
        // Midway between ring m's edge and ring m + 1's; white inside the black (from ring 4), black outside.
        const double at = (diameters[m - 1] + diameters[m]) / 4;
        const COLORREF ink = m >= 4 ? kWhite : kBlack;
        for (const auto& [u, v] : {std::pair{1, 0}, std::pair{-1, 0}, std::pair{0, 1}, std::pair{0, -1}}) {
            SCOPED_TRACE(testing::Message() << "direction " << u << "," << v);
            const int inked = countInWindow(image, u * at, v * at, 8, ink);
            // Ring 9 is beyond the face's last numbered ring (8).
            if (m <= 8) {
                EXPECT_GT(inked, 10);
            } else {
                EXPECT_EQ(0, inked);
            }
            EXPECT_EQ(0, countInWindow(withoutRings, u * at, v * at, 8, ink));
        }
    }
}

ComPtr<ITargetParams> plainFace(IEventParams& event)
{
    ComPtr<ITargetParams> face;
    EXPECT_HR(S_OK, event.get_Target(1, face.put()));
    EXPECT_HR(S_OK, face->put_FormWidth(80));
    EXPECT_HR(S_OK, face->put_FormHeight(80));
    EXPECT_HR(S_OK, face->put_Black(30));
    EXPECT_HR(S_OK, face->put_Ring(1, 60));
    EXPECT_HR(S_OK, face->put_RingThickness(0.5F));
    return face;
}

ComPtr<ITargetElement> addElement(ITargetParams& face, enumTargetElementType type, float left, float top, float width,
                                  float height, OLE_COLOR body)
{
    ComPtr<ITargetElement> element;
    EXPECT_HR(S_OK, face.AddElement(type, left, top, width, height, element.put()));
    EXPECT_HR(S_OK, element->put_BodyColor(body));
    EXPECT_HR(S_OK, element->put_BorderColor(body));
    return element;
}

TEST(FacePixelsTest, ElementsClipTheFaceAndAreDrawnBeforeOrAfterTheRings)
{
    auto event = CEventParams::create();
    auto face = plainFace(*event);
    auto clip = addElement(*face, elementEllipse, -40, -40, 80, 80, kRed);
    ASSERT_HR(S_OK, clip->put_Clip(VARIANT_TRUE));
    addElement(*face, elementRectangle, 25, -5, 10, 10, kRed);
    auto before = addElement(*face, elementRectangle, -35, -5, 10, 10, kBlue);
    ASSERT_HR(S_OK, before->put_DrawBeforeRings(VARIANT_TRUE));
    addElement(*face, elementRectangle, 20, 20, 20, 20, kGreen);
    auto hidden = addElement(*face, elementRectangle, -2, -2, 4, 4, kRed);
    ASSERT_HR(S_OK, hidden->put_Visible(VARIANT_FALSE));
    const QImage image = renderFace(*event);

    struct Probe {
        const char* what;
        double x;
        double y;
        COLORREF expected;
    };
    const Probe probes[] = {
        {"ring line over an element drawn before the rings", -29.8, 0, kBlack},
        {"element drawn before the rings", -27, 0, kBlue},
        {"element drawn after the rings covers the ring line", 29.8, 0, kRed},
        {"black", 0, 0, kBlack},
        {"element inside the clip", 22, 22, kGreen},
        {"element beyond the clip", 38, 38, kGrey},
        {"background outside the clip is still filled", -39, -39, kGrey},
        {"clip element itself is not drawn", 0, -35, kGrey},
    };
    for (const Probe& probe : probes) {
        SCOPED_TRACE(probe.what);
        EXPECT_EQ(probe.expected, pixelAt(image, probe.x, probe.y));
    }
}

TEST(FacePixelsTest, TransparentFaceWithoutRingsKeepsWhatLiesBelow)
{
    auto event = CEventParams::create();
    plainFace(*event);
    const QImage image = renderFace(*event, VARIANT_FALSE, VARIANT_FALSE);
    EXPECT_EQ(kWhite, pixelAt(image, -39, -39));
    EXPECT_EQ(kWhite, pixelAt(image, 29.9, 0)); // No ring line.
    EXPECT_EQ(kBlack, pixelAt(image, 0, 0));
}

platform::com::ComPtr<platform::gfx::PictureObject> redPicture(LONG width, LONG height)
{
    platform::gfx::Bitmap bitmap;
    bitmap.width = width;
    bitmap.height = height;
    bitmap.pixels.assign(static_cast<std::size_t>(width * height), kRed);
    return platform::gfx::PictureObject::create(platform::gfx::Picture::fromBitmap(bitmap));
}

TEST(FacePixelsTest, FacePictureKeepsItsAspectAndElementsShowPicturesAndText)
{
    auto event = CEventParams::create();
    ComPtr<ITargetParams> face;
    ASSERT_HR(S_OK, event->get_Target(1, face.put()));
    ASSERT_HR(S_OK, face->put_FormWidth(80));
    ASSERT_HR(S_OK, face->put_FormHeight(80));
    ASSERT_HR(S_OK, face->put_TextHeight(4));
    ASSERT_HR(S_OK, face->put_Picture(redPicture(20, 10).get())); // Twice as wide as high: a band 40 mm high.
    auto picture = addElement(*face, elementPicture, -35, -35, 10, 10, 0);
    ASSERT_HR(S_OK, picture->put_Picture(redPicture(1, 1).get()));
    auto text = addElement(*face, elementText, 20, -35, 10, 10, kBlue);
    ASSERT_HR(S_OK, text->put_Value(Bstr("text").get(), Variant::fromString(Bstr("8")).get()));
    const QImage image = renderFace(*event);

    EXPECT_EQ(kRed, pixelAt(image, 0, -19.9));
    EXPECT_EQ(kRed, pixelAt(image, 0, 19.9));
    EXPECT_EQ(kGrey, pixelAt(image, 0, -20.1));
    EXPECT_EQ(kGrey, pixelAt(image, 0, 20.1));
    EXPECT_EQ(kRed, pixelAt(image, -30, -30));
    EXPECT_GT(countInWindow(image, 25, -30, 20, kBlue), 20);
    EXPECT_EQ(0, countInWindow(image, 25, -18, 20, kBlue));
}

TEST(FacePixelsTest, PicturesOfFacesAndElementsDrawTheSameAfterTheEventIsStored)
{
    auto event = CEventParams::create();
    auto face = plainFace(*event);
    // A recorded picture (the air rifle face itself) in an element, a bitmap over the face.
    auto rifle = testsupport::shippedEvent("AR10");
    ASSERT_TRUE(rifle);
    ComPtr<IDispatch> rifleFace;
    ASSERT_HR(S_OK, rifle->GetTargetAppearance(1, VARIANT_TRUE, VARIANT_TRUE, rifleFace.put()));
    auto element = addElement(*face, elementPicture, 10, 10, 25, 25, 0);
    ASSERT_HR(S_OK, element->put_Picture(rifleFace.get()));
    ASSERT_HR(S_OK, face->put_Picture(redPicture(4, 1).get()));

    auto stream = platform::com::makeComObject<platform::com::MemoryStream>();
    ASSERT_HR(S_OK, event->Save(stream.get(), TRUE));
    ASSERT_HR(S_OK, stream->Seek(0, STREAM_SEEK_SET, nullptr));
    auto reloaded = CEventParams::create();
    ASSERT_HR(S_OK, reloaded->Load(stream.get()));

    EXPECT_EQ(renderFace(*event), renderFace(*reloaded));
    // The rifle face's black between its rings 7 and 8, shrunk into the element.
    EXPECT_EQ(kBlack, pixelAt(renderFace(*reloaded), 23.9, 23.9));
}

TEST(FacePixelsTest, DiagonalOrientationMovesTheNumbersOffTheAxes)
{
    auto event = CEventParams::create();
    ComPtr<ITargetParams> face;
    ASSERT_HR(S_OK, event->get_Target(1, face.put()));
    ASSERT_HR(S_OK, face->put_FormWidth(80));
    ASSERT_HR(S_OK, face->put_FormHeight(80));
    ASSERT_HR(S_OK, face->put_Ring(1, 60));
    ASSERT_HR(S_OK, face->put_Ring(2, 40));
    ASSERT_HR(S_OK, face->put_Ring(10, 10));
    ASSERT_HR(S_OK, face->put_TextHeight(4));
    ASSERT_HR(S_OK, face->put_LastNumberedRing(10));
    ASSERT_HR(S_OK, face->put_TextOrientation(1));
    const QImage image = renderFace(*event);

    const double at = (60.0 + 40.0) / 4 * 0.7071068;
    for (const auto& [u, v] : {std::pair{1, 1}, std::pair{-1, 1}, std::pair{-1, -1}, std::pair{1, -1}}) {
        SCOPED_TRACE(testing::Message() << "direction " << u << "," << v);
        EXPECT_GT(countInWindow(image, u * at, v * at, 30, kBlack), 10);
        EXPECT_EQ(0, countInWindow(image, u * 25.0, 0, 30, kBlack));
    }
    // Ring 10 has no ring inside it, so it gets no number even when the last numbered ring is 10.
    EXPECT_EQ(0, countInWindow(image, 2, 2, 20, kBlack));
}

} // namespace
} // namespace talvodata
