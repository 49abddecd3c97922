#include "platform/gfx/DrawContextQt.h"

#include "platform/gfx/BitmapQt.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/tests/support/StrokedByQt.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <random>
#include <vector>

namespace platform::gfx {
namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;
constexpr int kSize = 40;

class DrawContextQtTest : public ::testing::Test {
protected:
    DrawContextQtTest() : m_image(kSize, kSize, QImage::Format_RGB32) { m_image.fill(Qt::white); }

    /// The pixel as a COLORREF.
    COLORREF at(int x, int y) const
    {
        const QRgb pixel = m_image.pixel(x, y);
        return rgb(static_cast<BYTE>(qRed(pixel)), static_cast<BYTE>(qGreen(pixel)), static_cast<BYTE>(qBlue(pixel)));
    }
    /// The columns of row y that hold colour, as a string of '#' and '.'.
    std::string row(int y, COLORREF color, int from = 0, int to = kSize) const
    {
        std::string out;
        for (int x = from; x < to; ++x) {
            out += at(x, y) == color ? '#' : '.';
        }
        return out;
    }
    std::string column(int x, COLORREF color, int from = 0, int to = kSize) const
    {
        std::string out;
        for (int y = from; y < to; ++y) {
            out += at(x, y) == color ? '#' : '.';
        }
        return out;
    }
    /// The smallest rectangle holding every pixel of colour; empty when there is none.
    Rect extentOf(COLORREF color) const
    {
        Rect box;
        for (int y = 0; y < kSize; ++y) {
            for (int x = 0; x < kSize; ++x) {
                if (at(x, y) == color) {
                    box = box.united({x, y, x + 1, y + 1});
                }
            }
        }
        return box;
    }

    QImage m_image;
};

TEST(BitmapQtTest, BitmapsHoldColorRefsWithoutAlphaRowByRow)
{
    // An ARGB image with a translucent pixel: the bitmap keeps the colour channels only.
    QImage image(3, 2, QImage::Format_ARGB32);
    const QRgb pixels[2][3] = {{qRgb(0x12, 0x34, 0x56), qRgb(0xFF, 0, 0), qRgba(0, 0, 0xFF, 0x80)},
                               {qRgb(0, 0xFF, 0), qRgb(0xFF, 0xFF, 0xFF), qRgb(0, 0, 0)}};
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            image.setPixel(x, y, pixels[y][x]);
        }
    }
    const Bitmap bitmap = toBitmap(image);
    ASSERT_TRUE(bitmap.isValid());
    EXPECT_EQ((std::vector<COLORREF>{0x563412, kRed, kBlue, 0x00FF00, 0xFFFFFF, 0}), bitmap.pixels);
    const QImage back = toQImage(bitmap);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) {
            EXPECT_EQ(pixels[y][x] | 0xFF000000u, back.pixel(x, y)) << x << "," << y;
        }
    }
}

TEST_F(DrawContextQtTest, RectangleExcludesRightAndBottomEdges)
{
    DrawContextQt dc(m_image);
    dc.setPen({PenStyle::Solid, 0, kRed});
    dc.setBrush({BrushStyle::Solid, kBlue});
    dc.rectangle({0, 0, 10, 10});
    EXPECT_EQ("#" + std::string(8, '.') + "#" + std::string(30, '.'), row(5, kRed));
    EXPECT_EQ("." + std::string(8, '#') + std::string(31, '.'), row(5, kBlue));
    EXPECT_EQ(std::string(10, '#') + std::string(30, '.'), row(0, kRed));
    EXPECT_EQ(std::string(10, '#') + std::string(30, '.'), row(9, kRed));
    EXPECT_EQ((Rect{0, 0, 10, 10}), extentOf(kRed));
}

TEST_F(DrawContextQtTest, FiguresWithNullPenAreOnePixelSmaller)
{
    DrawContextQt dc(m_image);
    dc.setPen({PenStyle::Null, 0, 0});
    dc.setBrush({BrushStyle::Solid, kBlue});
    dc.rectangle({0, 0, 10, 10});
    EXPECT_EQ((Rect{0, 0, 9, 9}), extentOf(kBlue));
}

TEST_F(DrawContextQtTest, InsideFramePenStaysInsideTheFigure)
{
    struct Case {
        const char* name;
        bool ellipse;
    };
    for (const Case& c : {Case{"rectangle", false}, Case{"ellipse", true}}) {
        SCOPED_TRACE(c.name);
        m_image.fill(Qt::white);
        DrawContextQt dc(m_image);
        dc.setPen({PenStyle::InsideFrame, 3, kRed});
        dc.setBrush({BrushStyle::Solid, kBlue});
        const Rect figure{5, 5, 25, 25};
        c.ellipse ? dc.ellipse(figure) : dc.rectangle(figure);
        EXPECT_EQ(figure, extentOf(kRed));
        // Across the middle: three pixels of pen on each side, brush between.
        EXPECT_EQ("###" + std::string(14, '.') + "###", row(15, kRed, 5, 25));
        EXPECT_EQ("..." + std::string(14, '#') + "...", row(15, kBlue, 5, 25));
        EXPECT_EQ("###" + std::string(14, '.') + "###", column(15, kRed, 5, 25));
    }
}

TEST_F(DrawContextQtTest, HairlineIsOnePixelAndLeavesOutItsLastPixel)
{
    DrawContextQt dc(m_image);
    for (LONG width : {0, 1}) {
        SCOPED_TRACE(width);
        m_image.fill(Qt::white);
        dc.setPen({PenStyle::Solid, width, kRed});
        dc.moveTo({2, 10});
        dc.lineTo({12, 10});
        dc.lineTo({12, 20});
        EXPECT_EQ(std::string(2, '.') + std::string(11, '#') + std::string(27, '.'), row(10, kRed));
        EXPECT_EQ(std::string(10, '.') + std::string(10, '#') + std::string(20, '.'), column(12, kRed));
        EXPECT_EQ((Rect{2, 10, 13, 20}), extentOf(kRed));
        EXPECT_EQ((Point{12, 20}), dc.state().currentPosition);
    }
}

TEST_F(DrawContextQtTest, DottedPenRunsItsPatternOnAcrossJoints)
{
    DrawContextQt dc(m_image);
    dc.setPen({PenStyle::Dot, 0, kRed});
    const std::array<Point, 3> corner = {Point{2, 10}, Point{9, 10}, Point{9, 20}};
    dc.polyline(corner);
    EXPECT_EQ("###...#", row(10, kRed, 2, 9));
    EXPECT_EQ("##...###..", column(9, kRed, 10, 20)); // continues from the seventh pixel
}

TEST_F(DrawContextQtTest, WidePolylinesWithRepeatedPointsDrawWhatTheStrokerDrawsOfAllOfThem)
{
    // A wandering line that repeats points, as a trace sampled faster than it moves does, and a line of one point.
    const std::vector<Point> wandering = {{5, 5},  {5, 5},   {6, 5},   {6, 5},   {6, 5},   {9, 8},
                                          {9, 8},  {20, 8},  {20, 30}, {20, 30}, {12, 9},  {12, 10},
                                          {12, 9}, {30, 33}, {30, 33}, {31, 33}, {31, 34}, {31, 34}};
    const std::vector<Point> standing = {{15, 15}, {15, 15}, {15, 15}};
    for (const auto* points : {&wandering, &standing}) {
        for (LONG width : {2, 3, 5}) {
            SCOPED_TRACE(::testing::Message() << points->size() << " points, width " << width);
            m_image.fill(Qt::white);
            {
                DrawContextQt dc(m_image);
                dc.setPen({PenStyle::Solid, width, kRed});
                dc.polyline(*points);
            }
            const QImage expected = testing::strokedByQt(*points, width, kSize, QColor(255, 0, 0));
            EXPECT_EQ(expected, m_image);
        }
    }
}

TEST_F(DrawContextQtTest, WideLinesCrossingTheEdgesDrawWhatTheStrokerDrawsOfThemWhole)
{
    // Wandering lines that leave the view and come back, some stretches far out of it, of every trace width; drawn
    // straight, measured into a coverage cache, and copied from it.
    std::mt19937 random(11);
    std::uniform_int_distribution<LONG> start(-3 * kSize, 4 * kSize);
    std::uniform_int_distribution<LONG> step(-9, 9);
    std::uniform_int_distribution<int> leap(0, 30);
    for (int round = 0; round < 60; ++round) {
        std::vector<Point> points{{start(random), start(random)}};
        for (int i = 0; i < 150; ++i) {
            const LONG jump = leap(random) == 0 ? 5 * kSize : 1; // Now and then far out and back.
            points.push_back({points.back().x + jump * step(random), points.back().y + jump * step(random)});
        }
        for (LONG width = 2; width <= 13; ++width) {
            SCOPED_TRACE(::testing::Message() << "round " << round << ", width " << width);
            const QImage expected = testing::strokedByQt(points, width, kSize, QColor(255, 0, 0));
            CoverageCache cache;
            for (CoverageCache* copied : {static_cast<CoverageCache*>(nullptr), &cache, &cache}) {
                m_image.fill(Qt::white);
                {
                    DrawContextQt dc(m_image);
                    dc.setCoverageCache(copied);
                    dc.setPen({PenStyle::Solid, width, kRed});
                    dc.polyline(points);
                }
                ASSERT_EQ(expected, m_image) << (copied ? "through the cache" : "straight");
            }
        }
    }
}

TEST_F(DrawContextQtTest, HairlinesReachingFarOutOfSightCostOnlyWhatIsSeen)
{
    // Ends a billion pixels away: drawn pixel by pixel, one line would need gigabytes.
    constexpr LONG kFar = 1 << 30;
    DrawContextQt dc(m_image);
    for (const PenStyle style : {PenStyle::Solid, PenStyle::Dot}) {
        SCOPED_TRACE(static_cast<int>(style));
        m_image.fill(Qt::white);
        dc.setPen({style, 0, kRed});
        const std::array<Point, 4> lines = {Point{-kFar, 10}, Point{kFar, 10}, Point{20, -kFar}, Point{20, kFar}};
        dc.polyline(std::span(lines).first(2));
        dc.polyline(std::span(lines).last(2));
        if (style == PenStyle::Solid) {
            EXPECT_EQ(std::string(kSize, '#'), row(10, kRed));
            EXPECT_EQ(std::string(kSize, '#'), column(20, kRed));
        } else {
            // The pattern runs on through the unseen part: three on, three off wherever it is cut.
            EXPECT_EQ(std::string::npos, row(10, kRed).find("####"));
            EXPECT_EQ(std::string::npos, row(10, kRed).find("...."));
        }
    }
}

TEST_F(DrawContextQtTest, WidePenIsCentredWithRoundCaps)
{
    DrawContextQt dc(m_image);
    dc.setPen({PenStyle::Solid, 5, kRed});
    dc.moveTo({10, 20});
    dc.lineTo({30, 20});
    EXPECT_EQ("#####", column(20, kRed, 18, 23));
    EXPECT_EQ(".", column(20, kRed, 17, 18));
    EXPECT_EQ(".", column(20, kRed, 23, 24));
    // The round caps reach half the width beyond both ends, but not at the corners.
    EXPECT_EQ(kRed, at(8, 20));
    EXPECT_EQ(kRed, at(32, 20));
    EXPECT_NE(kRed, at(8, 18));
}

TEST_F(DrawContextQtTest, NotXorPenDrawnTwiceRestoresTheImage)
{
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x) {
            m_image.setPixel(x, y, qRgb(x * 6, y * 6, (x ^ y) * 4));
        }
    }
    const QImage before = m_image.copy();
    DrawContextQt dc(m_image);
    dc.setRasterOp(RasterOp::NotXorPen);
    dc.setBrush({BrushStyle::Hollow, 0});
    const std::array<Point, 4> zigzag = {Point{1, 1}, Point{30, 5}, Point{5, 30}, Point{35, 35}};
    for (int pass = 0; pass < 2; ++pass) {
        dc.setPen({PenStyle::Dot, 0, 0});
        dc.moveTo({3, 3});
        dc.lineTo({30, 12});
        dc.setPen({PenStyle::Solid, 3, 0});
        dc.ellipse({10, 10, 30, 30});
        dc.polyline(zigzag);
        if (pass == 0) {
            EXPECT_NE(before, m_image);
        }
    }
    EXPECT_EQ(before, m_image);
}

TEST_F(DrawContextQtTest, NotXorHairlinePolylineInvertsEachPixelOnce)
{
    DrawContextQt dc(m_image);
    dc.setRasterOp(RasterOp::NotXorPen);
    dc.setPen({PenStyle::Solid, 0, 0x000000});
    const std::array<Point, 4> path = {Point{5, 5}, Point{20, 5}, Point{20, 20}, Point{5, 20}};
    dc.polyline(path);
    // ~(black ^ white) is black: every pixel of the path, joints included, turns black exactly once, and each
    // line leaves out its last pixel whichever way it runs.
    EXPECT_EQ(std::string(5, '.') + std::string(16, '#') + std::string(19, '.'), row(5, 0x000000));
    EXPECT_EQ(std::string(5, '.') + std::string(16, '#') + std::string(19, '.'), column(20, 0x000000));
    EXPECT_EQ(std::string(6, '.') + std::string(15, '#') + std::string(19, '.'), row(20, 0x000000));
}

TEST_F(DrawContextQtTest, ClipPathsReplaceThenUnite)
{
    DrawContextQt dc(m_image);
    dc.beginPath();
    dc.rectangle({20, 0, 40, 40});
    dc.endPath();
    dc.selectClipPath(ClipCombine::Replace);
    dc.beginPath();
    dc.rectangle({0, 0, 10, 10});
    dc.endPath();
    dc.selectClipPath(ClipCombine::Replace);
    dc.beginPath();
    dc.rectangle({20, 20, 30, 30});
    dc.endPath();
    dc.selectClipPath(ClipCombine::Union);
    dc.selectClipPath(ClipCombine::Union); // no path left: nothing changes
    dc.fillRect({0, 0, kSize, kSize}, kRed);
    EXPECT_EQ(std::string(10, '#') + std::string(30, '.'), row(9, kRed));
    EXPECT_EQ(std::string(20, '.') + std::string(10, '#') + std::string(10, '.'), row(20, kRed));
    EXPECT_EQ(std::string(40, '.'), row(15, kRed));
    EXPECT_EQ(std::string(40, '.'), row(30, kRed));
}

TEST_F(DrawContextQtTest, StateSaverRestoresClipAndSelections)
{
    DrawContextQt dc(m_image);
    {
        StateSaver saver(dc);
        dc.setClipRect({0, 0, 5, 5});
        dc.setPen({PenStyle::Null, 0, 0});
        dc.fillRect({0, 0, kSize, kSize}, kRed);
    }
    EXPECT_EQ((Rect{0, 0, 5, 5}), extentOf(kRed));
    EXPECT_EQ(PenStyle::Solid, dc.state().pen.style);
    dc.fillRect({0, 0, kSize, kSize}, kBlue);
    EXPECT_EQ((Rect{0, 0, kSize, kSize}), extentOf(kBlue));
}

TEST_F(DrawContextQtTest, ViewportOriginMovesDrawingAndFixesClip)
{
    DrawContextQt dc(m_image);
    dc.setViewportOrigin({-10, -10});
    dc.setClipRect({10, 10, 30, 30}); // device (0, 0)-(20, 20)
    dc.setViewportOrigin({0, 0});
    dc.fillRect({10, 10, kSize, kSize}, kRed);
    EXPECT_EQ((Rect{10, 10, 20, 20}), extentOf(kRed));
}

TEST_F(DrawContextQtTest, ColorRefsDrawTheirRgbValues)
{
    DrawContextQt dc(m_image);
    dc.fillRect({0, 0, 1, 1}, 0x000000FF);
    dc.fillRect({1, 0, 2, 1}, systemColorRef(COLOR_BTNSHADOW));
    dc.fillRect({2, 0, 3, 1}, rgb(1, 2, 3));
    EXPECT_EQ(qRgb(255, 0, 0), m_image.pixel(0, 0));
    EXPECT_EQ(qRgb(128, 128, 128), m_image.pixel(1, 0));
    EXPECT_EQ(qRgb(1, 2, 3), m_image.pixel(2, 0));
}

TEST_F(DrawContextQtTest, ShadeRectGreysOrBrightensByPattern)
{
    DrawContextQt dc(m_image);
    dc.fillRect({0, 0, kSize, kSize}, kRed);
    dc.shadeRect({0, 0, 8, 3});
    const COLORREF grey = 0x808080;
    const COLORREF redOrGrey = rgb(255, 128, 128);
    EXPECT_EQ(grey, at(0, 0));      // row 0x55: bit 7 clear
    EXPECT_EQ(redOrGrey, at(1, 0)); // bit 6 set
    EXPECT_EQ(redOrGrey, at(0, 1)); // row 0xAA
    EXPECT_EQ(grey, at(1, 1));
    EXPECT_EQ(grey, at(0, 2));
    EXPECT_EQ(kRed, at(8, 0));
    EXPECT_EQ(kRed, at(0, 3));
}

TEST_F(DrawContextQtTest, DrawTextWordBreakMeasuresTwoLines)
{
    DrawContextQt dc(m_image);
    dc.setFont(Font{u"Arial", -16});
    const LONG lineHeight = dc.textMetrics().height;
    const LONG firstWord = dc.textExtent(u"Hello").cx;
    ASSERT_GT(lineHeight, 16);

    Rect rect{0, 0, firstWord + 5, 0};
    EXPECT_EQ(2 * lineHeight, dc.drawText(u"Hello world", rect, DT_WORDBREAK | DT_CALCRECT | DT_NOCLIP));
    EXPECT_EQ(2 * lineHeight, rect.bottom);
    EXPECT_EQ(std::max(firstWord, dc.textExtent(u"world").cx), rect.right);
    EXPECT_EQ((Rect{0, 0, kSize, kSize}), extentOf(0xFFFFFF)); // measuring draws nothing

    Rect wide{0, 0, 32767, 0};
    EXPECT_EQ(lineHeight, dc.drawText(u"Hello world", wide, DT_WORDBREAK | DT_CALCRECT));
    EXPECT_EQ(dc.textExtent(u"Hello world").cx, wide.right);
}

TEST_F(DrawContextQtTest, DrawTextClipsToItsRectangleUnlessNoClip)
{
    DrawContextQt dc(m_image);
    dc.setFont(Font{u"Arial", -20, FW_BOLD});
    dc.setTextColor(kRed);
    dc.setBackgroundMode(BackgroundMode::Transparent);
    Rect box{10, 10, 30, 30};
    dc.drawText(u"WWWW", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    const Rect clipped = extentOf(kRed);
    EXPECT_FALSE(clipped.isEmpty());
    EXPECT_EQ(box, box.united(clipped));

    m_image.fill(Qt::white);
    dc.drawText(u"WWWW", box, DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOCLIP);
    const Rect unclipped = extentOf(kRed);
    EXPECT_LT(unclipped.left, box.left);
    EXPECT_GT(unclipped.right, box.right);
}

TEST_F(DrawContextQtTest, TextOutPlacesTextByAlignmentAndFillsOpaqueBackground)
{
    DrawContextQt dc(m_image);
    dc.setFont(Font{u"Arial", -12});
    dc.setBackgroundMode(BackgroundMode::Opaque);
    dc.setBackgroundColor(kBlue);
    const Size extent = dc.textExtent(u"ab");
    dc.setTextAlign(TA_RIGHT | TA_BOTTOM);
    dc.textOut({30, 30}, u"ab");
    EXPECT_EQ((Rect{30 - extent.cx, 30 - extent.cy, 30, 30}), extentOf(kBlue));
}

TEST_F(DrawContextQtTest, PolygonFillsWithTheAlternateRule)
{
    DrawContextQt dc(m_image);
    dc.setPen({PenStyle::Null, 0, 0});
    dc.setBrush({BrushStyle::Solid, kBlue});
    // Two overlapping squares in one outline: the overlap is outside under the alternate rule.
    const std::array<Point, 10> points = {Point{0, 0},   Point{20, 0},  Point{20, 20}, Point{0, 20},  Point{0, 0},
                                          Point{10, 10}, Point{30, 10}, Point{30, 30}, Point{10, 30}, Point{10, 10}};
    dc.polygon(points);
    EXPECT_EQ(kBlue, at(5, 5));
    EXPECT_EQ(kBlue, at(25, 25));
    EXPECT_EQ(0xFFFFFFu, at(15, 15));
}

} // namespace
} // namespace platform::gfx
