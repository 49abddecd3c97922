#include "talvodesk/core/analysis/chart/ChartImpl.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/MulDiv.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/PictureRecorder.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace talvodesk {
namespace {

using platform::gfx::MulDiv;
using platform::gfx::Point;
using platform::gfx::Rect;

/// Records each call with what it draws with; every character 6 x 10 pixels, internal leading 2.
class Recorder final : public platform::gfx::DrawContext {
public:
    explicit Recorder(LONG dpi) : m_dpi(dpi) {}

    std::vector<std::string> calls;

    platform::gfx::Resolution resolution() const override { return {m_dpi, m_dpi}; }
    void polyline(std::span<const Point> points) override
    {
        std::string call = "polyline " + pen();
        for (const Point& point : points) {
            call += " " + std::to_string(point.x) + "," + std::to_string(point.y);
        }
        calls.push_back(call);
    }
    void polygon(std::span<const Point>) override { calls.push_back("polygon"); }
    void rectangle(const Rect& rect) override { calls.push_back("rectangle " + pen() + " " + text(rect)); }
    void ellipse(const Rect&) override { calls.push_back("ellipse"); }
    void fillRect(const Rect& rect, COLORREF color) override
    {
        calls.push_back("fillRect " + text(rect) + " " + std::to_string(color));
    }
    void shadeRect(const Rect&) override {}
    platform::gfx::TextMetrics textMetrics() const override { return {10, 8, 2, 2, 0, 6, 6}; }
    platform::gfx::Size textExtent(std::u16string_view text) const override
    {
        return {static_cast<LONG>(text.size()) * 6, 10};
    }
    void textOut(Point point, std::u16string_view text) override
    {
        calls.push_back("textOut " + std::string(text.begin(), text.end()) + " " + std::to_string(point.x) + "," +
                        std::to_string(point.y) + " weight " + std::to_string(state().font.weight));
    }
    LONG drawText(std::u16string_view, Rect&, UINT) override { return 0; }
    void setClipRect(const Rect& rect) override { calls.push_back("clip " + text(rect)); }
    void clearClip() override {}
    void beginPath() override {}
    void endPath() override {}
    void selectClipPath(platform::gfx::ClipCombine) override {}
    void drawPicture(const platform::gfx::Picture&, const Rect&) override {}
    void drawBitmap(const platform::gfx::Bitmap&, const Rect&) override {}

    bool has(const std::string& call) const { return std::find(calls.begin(), calls.end(), call) != calls.end(); }
    long count(const std::string& prefix) const
    {
        return std::count_if(calls.begin(), calls.end(), [&](const auto& c) { return c.rfind(prefix, 0) == 0; });
    }

private:
    void onSave() override {}
    void onRestore() override {}
    std::string pen() const
    {
        const auto& p = state().pen;
        return "pen " + std::to_string(static_cast<int>(p.style)) + "/" + std::to_string(p.width) + "/" +
               std::to_string(p.color);
    }
    static std::string text(const Rect& r)
    {
        return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
               std::to_string(r.bottom);
    }

    LONG m_dpi;
};

constexpr Rect kRect{0, 0, 400, 300};
constexpr ChartMargins kMargins{5, 5, 5, 5};
constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kBlue = 0xFF0000;

/// x and y from -10 to 10, both axes through the middle.
CChartImpl centredChart()
{
    CChartImpl chart;
    chart.m_xMin = -10;
    chart.m_xMax = 10;
    chart.m_yMin = -10;
    chart.m_yMax = 10;
    return chart;
}

TEST(ChartImplTest, PensInPointsNarrowThePlotByHalfTheWidestPen)
{
    struct Case {
        LONG dpi;
        std::int32_t baseWidth;
        std::int32_t seriesWidth;
        Rect plot;
        std::string curve;
    };
    // MulDiv(15, 96, 720) = 2; MulDiv(15, 600, 720) = 12.5, rounded away from zero to 13.
    const Case cases[] = {
        {96, 0, 15, {6, 5, 394, 295}, "polyline pen 0/2/255 6,295 200,6 393,295"},
        {600, 0, 15, {11, 5, 389, 295}, "polyline pen 0/13/255 11,295 200,6 388,295"},
        // The base width keeps room for a pen no series draws with.
        {96, 30, 15, {7, 5, 393, 295}, "polyline pen 0/2/255 7,295 200,6 392,295"},
        // Width 0 draws one pixel and narrows nothing.
        {96, 0, 0, {5, 5, 395, 295}, "polyline pen 0/1/255 5,295 200,6 394,295"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.curve);
        CChartImpl chart = centredChart();
        chart.m_baseWidth = c.baseWidth;
        chart.AddSeries(1, kRed, c.seriesWidth, true);
        chart.AddPoint(1, -10, -10);
        chart.AddPoint(1, 0, 10);
        chart.AddPoint(1, 10, -10);
        Recorder dc(c.dpi);
        EXPECT_EQ(chart.Layout(dc, kRect, kMargins, true, false, chart.fonts()).plot, c.plot);
        chart.Draw(dc, kRect, kMargins, true, false);
        EXPECT_TRUE(dc.has(c.curve)) << dc.calls.back();
    }
}

TEST(ChartImplTest, LabelsAreClassifiedByExactEqualityAndTickedInPoints)
{
    struct Case {
        double x;
        double y;
        LONG dpi;
        std::vector<std::string> expected;
    };
    // Plot (5, 5)-(395, 295): x = 5 + round((x + 10) * 389 / 20), y = 295 - round((y + 10) * 289 / 20).
    const Case cases[] = {
        // On the vertical axis: a horizontal tick from +p to -2p, text 2p right and half a line up, a horizontal
        // grid line.
        {0,
         5,
         96,
         {"polyline pen 0/1/0 201,78 198,78", "textOut L 202,73 weight 400", "polyline pen 1/1/12632256 5,78 395,78"}},
        {0, 5, 600, {"polyline pen 0/1/0 208,78 184,78", "textOut L 216,73 weight 400"}},
        // (0, 0) stands on the vertical axis.
        {0, 0, 96, {"polyline pen 0/1/0 201,150 198,150", "polyline pen 1/1/12632256 5,150 395,150"}},
        // On the horizontal axis: a vertical tick from +q to -2q, text centred 2q below, a vertical grid line.
        {2,
         0,
         96,
         {"polyline pen 0/1/0 238,151 238,148", "textOut L 235,152 weight 400",
          "polyline pen 1/1/12632256 238,295 238,5"}},
        {2, 0, 600, {"polyline pen 0/1/0 238,158 238,134", "textOut L 235,166 weight 400"}},
        // On the y-axis level (3) without being 0.
        {3, 5, 96, {"polyline pen 0/1/0 259,78 256,78", "textOut L 260,73 weight 400"}},
        // Neither: the text at the point, no tick, no grid line.
        {-4.5, 4, 96, {"textOut L 112,93 weight 400"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y) + " at " + std::to_string(c.dpi));
        CChartImpl chart = centredChart();
        chart.m_yAxisLevel = c.x == 3 ? 3 : 0;
        chart.AddSeries(1, kRed, 0, true);
        chart.AddLabel(c.x, c.y, u"L", true);
        Recorder dc(c.dpi);
        chart.Draw(dc, kRect, kMargins, false, false);
        for (const std::string& call : c.expected) {
            EXPECT_TRUE(dc.has(call)) << call;
        }
        const bool neither = c.x != 0 && c.x != 3 && c.y != 0;
        // Ticks, grid lines and the two axes are the only lines; a label on no axis adds none.
        EXPECT_EQ(dc.count("polyline"), neither ? 2 : 4);
    }
}

TEST(ChartImplTest, PointsGoToTheFirstSeriesOfTheirIdAndClearingForgetsEveryId)
{
    CChartImpl chart;
    EXPECT_TRUE(chart.AddSeries(7, kRed, 15, true));
    EXPECT_TRUE(chart.AddSeries(3, kBlue, 15, true));
    EXPECT_TRUE(chart.AddSeries(7, kBlue, 15, true));
    EXPECT_TRUE(chart.AddPoint(7, 1, 2));
    EXPECT_TRUE(chart.AddPoint(3, 4, 5));
    EXPECT_FALSE(chart.AddPoint(9, 0, 0));
    ASSERT_EQ(chart.series().size(), 3U);
    EXPECT_EQ(chart.series()[0].points.size(), 1U);
    EXPECT_EQ(chart.series()[1].points.size(), 1U);
    EXPECT_TRUE(chart.series()[2].points.empty());

    chart.ClearAll();
    EXPECT_FALSE(chart.AddPoint(7, 1, 2));
    EXPECT_TRUE(chart.AddSeries(3, kRed, 15, true));
    EXPECT_TRUE(chart.AddPoint(3, 1, 2));
    EXPECT_EQ(chart.series()[0].points.size(), 1U);
}

TEST(ChartImplTest, TwoPointSeriesAreBarsVerticallyAlwaysAndHorizontallyOnScreenOnly)
{
    CChartImpl chart = centredChart();
    chart.AddSeries(1, kRed, 15, true);
    chart.AddPoint(1, 2, -5);
    chart.AddPoint(1, 2, 5);
    chart.AddSeries(2, kBlue, 15, true);
    chart.AddPoint(2, -5, 3);
    chart.AddPoint(2, 5, 3);
    chart.AddSeries(3, kBlue, 15, true);
    chart.AddPoint(3, -5, -3);
    chart.AddPoint(3, 5, 3);
    // Plot (6, 5)-(394, 295) for the 2-pixel pen.
    for (const bool print : {false, true}) {
        SCOPED_TRACE(print);
        Recorder dc(96);
        chart.Draw(dc, kRect, kMargins, false, print);
        EXPECT_TRUE(dc.has("fillRect 237,78,239,223 255"));
        EXPECT_EQ(dc.has("fillRect 103,106,296,108 16711680"), !print);
        EXPECT_EQ(dc.has("polyline pen 0/2/16711680 103,107 296,107"), print);
        EXPECT_TRUE(dc.has("polyline pen 0/2/16711680 103,194 296,107"));
    }
}

TEST(ChartImplTest, PrintingLeavesOutSeriesNotPrintableAndUsesTheCallersFonts)
{
    CChartImpl chart = centredChart();
    chart.m_xTitle = u"T";
    chart.AddSeries(1, kRed, 0, true);
    chart.SetSeriesName(1, u"doc");
    chart.AddSeries(2, kBlue, 0, false);
    chart.SetSeriesName(2, u"model");
    for (const int id : {1, 2}) {
        chart.AddPoint(id, -5, id);
        chart.AddPoint(id, 0, 2 * id);
        chart.AddPoint(id, 5, id);
    }
    ChartFonts printFonts = chart.fonts();
    printFonts.title.weight = 900;

    Recorder screen(96);
    chart.Draw(screen, kRect, kMargins, true, false, &printFonts);
    EXPECT_EQ(screen.count("textOut doc"), 1);
    EXPECT_EQ(screen.count("textOut model"), 1);
    EXPECT_EQ(screen.count("polyline pen 0/1/16711680"), 1);
    // Plot (5, 17)-(395, 295) below the legend row; the x axis at y 156, the title standing on it h / 3 in.
    EXPECT_TRUE(screen.has("textOut T 9,146 weight 700"));

    Recorder printer(96);
    chart.Draw(printer, kRect, kMargins, true, true, &printFonts);
    EXPECT_EQ(printer.count("textOut doc"), 1);
    EXPECT_EQ(printer.count("textOut model"), 0);
    EXPECT_EQ(printer.count("polyline pen 0/1/16711680"), 0);
    EXPECT_EQ(printer.count("polyline pen 0/1/255"), 1);
    EXPECT_TRUE(printer.has("textOut T 9,146 weight 900"));

    // Hidden series: no legend row and no curves, but the axes and the title still.
    chart.ShowSeries(1, false);
    chart.ShowSeries(2, false);
    Recorder hidden(96);
    chart.Draw(hidden, kRect, kMargins, true, false);
    EXPECT_EQ(hidden.count("textOut doc"), 0);
    EXPECT_EQ(hidden.count("polyline pen 0/1/255"), 0);
    EXPECT_EQ(hidden.count("polyline pen 0/1/0"), 2);
    EXPECT_EQ(hidden.count("textOut T"), 1);
}

TEST(ChartImplTest, MapsDatesNearFortyFiveThousandAndDegenerateRanges)
{
    constexpr double kSecond = 1.0 / 86400;
    constexpr double kDay = 45000.0;
    const Rect plot{0, 0, 101, 101};
    struct Case {
        double min;
        double max;
        double x;
        LONG px;
    };
    const Case cases[] = {
        // In single precision all three dates would be the same value 45000.
        {kDay, kDay + 10 * kSecond, kDay + 4 * kSecond, 40},
        {kDay, kDay + 10 * kSecond, kDay + 10 * kSecond, 100},
        {kDay, kDay + 10 * kSecond, kDay - 5 * kSecond, -50},
        // A maximum at or below the minimum is a range of one unit.
        {2, 2, 2, 0},
        {2, 2, 2.5, 50},
        {3, 1, 4, 100},
    };
    for (const Case& c : cases) {
        CChartImpl chart;
        chart.m_xMin = c.min;
        chart.m_xMax = c.max;
        chart.m_yMin = c.min;
        chart.m_yMax = c.max;
        const Point mapped = chart.Map(plot, c.x, c.x);
        EXPECT_EQ(mapped.x, c.px) << c.x - c.min;
        EXPECT_EQ(mapped.y, 101 - c.px) << c.x - c.min;
    }

    // Drawn, the dates keep their seconds apart.
    CChartImpl chart;
    chart.m_xMin = kDay;
    chart.m_xMax = kDay + 10 * kSecond;
    chart.m_yMax = 1;
    chart.AddSeries(1, kRed, 0, true);
    for (const int second : {0, 4, 10}) {
        chart.AddPoint(1, kDay + second * kSecond, 0.5);
    }
    Recorder dc(96);
    chart.Draw(dc, kRect, kMargins, false, false);
    EXPECT_TRUE(dc.has("polyline pen 0/1/255 5,150 161,150 394,150"));
}

TEST(ChartImplTest, HitTestFindsVerticalAndHorizontalSegmentsWithinHalfThePenPlusOne)
{
    CChartImpl chart = centredChart();
    chart.AddSeries(1, kRed, 15, true); // a vertical bar at x 238 from y 78 to 223, pen 2, tolerance 2
    chart.AddPoint(1, 2, -5);
    chart.AddPoint(1, 2, 5);
    chart.AddSeries(2, kBlue, 15, true); // the same bar again, found when the search resumes after series 1
    chart.AddPoint(2, 2, -5);
    chart.AddPoint(2, 2, 5);
    chart.AddSeries(3, kBlue, 0, true); // a diagonal line, never hit
    chart.AddPoint(3, -10, -10);
    chart.AddPoint(3, 10, 10);
    struct Case {
        Point point;
        int hit; // 0 none
    };
    const Case cases[] = {
        {{238, 150}, 1}, {{236, 150}, 1}, {{240, 150}, 1},
        {{235, 150}, 0}, {{241, 150}, 0}, {{238, 10}, 1}, // above the bar's end, still inside the plot
        {{238, 296}, 0},                                  // below the plot
        {{150, 150}, 0},                                  // on the diagonal
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.point.x * 1000 + c.point.y);
        Recorder dc(96);
        const ChartSeriesInfo* series = nullptr;
        EXPECT_EQ(chart.HitTest(dc, kRect, kMargins, c.point, series), c.hit != 0);
        EXPECT_EQ(series ? series->id : 0, c.hit);
        if (c.hit != 0) {
            EXPECT_TRUE(chart.HitTest(dc, kRect, kMargins, c.point, series));
            EXPECT_EQ(series->id, 2);
            EXPECT_FALSE(chart.HitTest(dc, kRect, kMargins, c.point, series));
        }
    }
}

TEST(ChartImplTest, DrawsPixelsIntoAnImage)
{
    CChartImpl chart = centredChart();
    chart.AddSeries(1, kRed, 15, true);
    chart.AddPoint(1, 2, -5);
    chart.AddPoint(1, 2, 5);
    chart.AddBand(0, -10, 0, 5, 0, 1, 0xC0C0C0, true, 0xF5F5F5);
    QImage image(400, 300, QImage::Format_RGB32);
    image.setDotsPerMeterX(3780); // 96 dots per inch
    image.setDotsPerMeterY(3780);
    image.fill(Qt::white);
    {
        platform::gfx::DrawContextQt dc(image);
        chart.Draw(dc, kRect, kMargins, true, false);
    }
    struct Case {
        int x;
        int y;
        QRgb color;
    };
    // Plot (6, 5)-(394, 295); the band spans x -10..-5 (pixels 6..103) over the whole height.
    const Case cases[] = {
        {237, 150, qRgb(255, 0, 0)},     {238, 100, qRgb(255, 0, 0)},    {239, 120, qRgb(255, 255, 255)},
        {236, 120, qRgb(255, 255, 255)}, {50, 100, qRgb(245, 245, 245)}, {6, 100, qRgb(192, 192, 192)},
        {200, 150, qRgb(0, 0, 0)},       {300, 150, qRgb(0, 0, 0)},      {300, 100, qRgb(255, 255, 255)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(image.pixel(c.x, c.y), c.color) << c.x << "," << c.y;
    }

    // Recorded for the printed report and played back, the chart comes out the same.
    QImage played(image.size(), QImage::Format_RGB32);
    played.setDotsPerMeterX(3780);
    played.setDotsPerMeterY(3780);
    played.fill(Qt::white);
    {
        platform::gfx::DrawContextQt dc(played);
        platform::gfx::PictureRecorder recorder({96, 96}, &dc.textMeasure());
        chart.Draw(recorder, kRect, kMargins, true, false);
        const platform::gfx::Picture picture = recorder.finish();
        dc.drawPicture(picture, picture.bounds());
    }
    EXPECT_EQ(played, image);
}

} // namespace
} // namespace talvodesk
