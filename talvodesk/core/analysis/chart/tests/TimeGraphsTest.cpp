#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/analysis/ShotDetails.h"
#include "talvodesk/core/analysis/chart/SpeedGraph.h"
#include "talvodesk/core/analysis/chart/TimeIntervalsGraph.h"
#include "talvodesk/core/analysis/chart/TimeShiftGraph.h"
#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/ChartPractices.h"
#include "talvodesk/core/testing/ChartSeries.h"
#include "talvodesk/core/testing/RecordingFrame.h"

#include "talvodata/tests/support/TempFolder.h"

#include "interfaces/talvodata/IShotCollection.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"
#include "platform/gfx/DrawContextQt.h"

#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <map>

namespace talvodesk {
namespace {

using platform::com::ComPtr;
using testsupport::FindSeries;
using testsupport::HeldShot;

constexpr DATE kMorning = 46000.25;
constexpr double kMinute = 1.0 / 1440;
constexpr COLORREF kHighlight = 0x123456;

/// The aim `near` hundredths of a millimetre right of the centre up to relative sample `until`, `far` after it.
std::function<std::pair<LONG, LONG>(int)> stepAt(int until, LONG near, LONG far)
{
    return [=](int k) { return std::pair<LONG, LONG>(k <= until ? near : far, 0); };
}

std::vector<std::pair<double, std::u16string>> labelsOf(const CChartImpl& chart)
{
    std::vector<std::pair<double, std::u16string>> labels;
    for (const ChartLabel& label : chart.labels()) {
        labels.emplace_back(label.x, label.text);
    }
    return labels;
}

class TimeGraphsTest : public ::testing::Test {
protected:
    TimeGraphsTest() { options.showControlInterval2 = 0; }

    void open(const char* event, const std::vector<HeldShot>& shots)
    {
        ASSERT_TRUE(data.Open(testsupport::saveHeldPractice(folder.path() / "practice.tlv", event, shots).get()));
        ASSERT_TRUE(data.SetShotParameters(0, 1.0F, 2, 0, 0, false));
    }
    ComPtr<IShot> shot(long index)
    {
        ComPtr<IShotCollection> shots;
        ComPtr<IShot> item;
        EXPECT_TRUE(data.GetShots(shots));
        EXPECT_EQ(S_OK, shots->get_Item(index, item.put()));
        return item;
    }
    /// Gives the shots these times, in minutes after eight in the morning.
    void timeShots(const std::vector<double>& minutes)
    {
        for (std::size_t i = 0; i < minutes.size(); ++i) {
            ASSERT_EQ(S_OK, shot(static_cast<long>(i + 1))->put_ShotTime(kMorning + minutes[i] * kMinute));
        }
    }

    talvodata::testsupport::TempFolder folder;
    testsupport::RecordingFrame frame;
    CTalvoData data;
    COptions options;
    ChartServices services{data, options, nullptr, &frame};
};

TEST(TimeShiftScaleTest, TopAndBottomStepInFivesAndTheLabelsKeepAStepBelowTheTop)
{
    struct Case {
        const char* name;
        ShiftTotals document;
        ShiftTotals model;
        ShiftScale scale;
        std::vector<float> ticks;
    };
    const Case cases[] = {
        {"totals 452.3 to 497.8 of 50 shots",
         {50, 498, 452.3F},
         {},
         {500, 450},
         {455, 460, 465, 470, 475, 480, 485, 490, 495, 500}},
        {"a flat curve of three tens", {3, 31, 30}, {}, {35, 30}, {31, 32, 33, 34, 35}},
        // The model's higher top counts; a value one below the top (24) is left out.
        {"the model above", {2, 18, 15}, {3, 23, 12}, {25, 10}, {12, 14, 16, 18, 20, 22, 25}},
        // A range of 25 gives a step of 2 (ties to even); 69 is left out.
        {"ties to even", {10, 70, 45}, {}, {70, 45}, {47, 49, 51, 53, 55, 57, 59, 61, 63, 65, 67, 70}},
        // Every shot missed: 3 x 11 would stand above the top of 0.
        {"all missed", {3, 0}, {}, {0, 0}, {0}},
        {"no shots", {}, {}, {0, 0}, {0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ShiftScale scale = TimeShiftScale(c.document, c.model);
        EXPECT_EQ(scale.top, c.scale.top);
        EXPECT_EQ(scale.bottom, c.scale.bottom);
        EXPECT_EQ(ResultTicks(scale), c.ticks);
    }
}

TEST_F(TimeGraphsTest, TimeShiftTotalsEverySampleInWholeOrFractionalPoints)
{
    // At 200 Hz with F 0 each breach is the aim itself. Shot 1 scores 10.9 (0.2 mm) until 0.5 s before the shot
    // and 9.5 (3.6 mm) after; shot 2 10.5 (1.2 mm) before the shot and 8.5 (6.2 mm) from it on; shot 3 is missed.
    open("AR10", {{0, 0, 300, 40, true, false, 1, -1, stepAt(-100, 20, 360)},
                  {0, 0, 300, 40, true, false, 1, -1, stepAt(-1, 120, 620)},
                  {0, 0, 300, 40, true, true}});
    struct Case {
        bool fraction;
        float early; // at -1.0 .. -0.5 s
        float late;  // at -0.495 .. -0.005 s
        float after; // at 0 .. 0.2 s
        double top;
        double bottom;
        std::size_t ticks;
    };
    for (const Case& c : {Case{false, 20, 19, 17, 20, 15, 5}, Case{true, 21.4F, 20, 18, 25, 15, 10}}) {
        SCOPED_TRACE(c.fraction);
        TimeShiftGraph graph(services);
        ASSERT_TRUE(graph.Recalculate(TimeShiftGraph::kAllParts, c.fraction));
        const auto& points = FindSeries(graph.chart(), TimeShiftGraph::kDocument)->points;
        ASSERT_EQ(points.size(), 241U); // from 40 samples after the shot back to 200 before it
        const std::map<std::size_t, float> expected = {{0, c.after},  {40, c.after},  {41, c.late},
                                                       {139, c.late}, {140, c.early}, {240, c.early}};
        for (const auto& [index, total] : expected) {
            SCOPED_TRACE(index);
            EXPECT_FLOAT_EQ(static_cast<float>(points[index].y), total);
        }
        EXPECT_FLOAT_EQ(static_cast<float>(points.front().x), 0.2F);
        EXPECT_FLOAT_EQ(static_cast<float>(points.back().x), -1.0F);
        EXPECT_EQ(graph.chart().m_yMax, c.top);
        EXPECT_EQ(graph.chart().m_yMin, c.bottom);
        EXPECT_EQ(graph.chart().m_xAxisLevel, c.bottom);
        EXPECT_EQ(FindSeries(graph.chart(), TimeShiftGraph::kDocument)->name, u"Time shift: 3 match shots");
        EXPECT_EQ(FindSeries(graph.chart(), TimeShiftGraph::kModel)->name, u"Model: 0 match shots");
        // Ten result labels at most on the vertical axis, thirteen time labels on the bottom.
        const auto& labels = graph.chart().labels();
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [](const ChartLabel& l) { return l.x == 0; }),
                  static_cast<long>(c.ticks));
        EXPECT_EQ(std::count_if(labels.begin(), labels.end(), [&](const ChartLabel& l) { return l.y == c.bottom; }),
                  13);
    }
}

TEST_F(TimeGraphsTest, TheModelsPartIsItsMatchShotsAndBiathlonStaysEmpty)
{
    open("AR10", {{20, 0}});
    ASSERT_TRUE(data.OpenModel(
        testsupport::saveHeldPractice(folder.path() / "model.tlv", "AR10", {{20, 0}, {20, 0, 300, 40, false}, {20, 0}})
            .get()));
    TimeShiftGraph shift(services);
    SpeedGraph speed(services);
    ASSERT_TRUE(shift.Recalculate(TimeShiftGraph::kAllParts, false));
    ASSERT_TRUE(speed.Recalculate(SpeedGraph::kAllParts));
    EXPECT_EQ(FindSeries(shift.chart(), TimeShiftGraph::kModel)->name, u"Model: 2 match shots");
    EXPECT_EQ(FindSeries(speed.shots(), SpeedGraph::kModel)->name, u"Model: 2 match shots");
    EXPECT_DOUBLE_EQ(FindSeries(shift.chart(), TimeShiftGraph::kModel)->points.front().y, 20.0);

    open("BTLN", {{-16500, 0}});
    ASSERT_TRUE(shift.Recalculate(TimeShiftGraph::kAllParts, false));
    EXPECT_TRUE(FindSeries(shift.chart(), TimeShiftGraph::kDocument)->points.empty());
    EXPECT_EQ(FindSeries(shift.chart(), TimeShiftGraph::kDocument)->name, u"Time shift: 0 match shots");

    // Missed shots alone leave an empty result axis, which still draws.
    open("AR10", {{0, 0, 300, 40, true, true}, {0, 0, 300, 40, true, true}});
    ASSERT_TRUE(data.CloseModel());
    ASSERT_TRUE(shift.Recalculate(TimeShiftGraph::kAllParts, false));
    EXPECT_EQ(shift.chart().m_yMin, 0);
    EXPECT_EQ(shift.chart().m_yMax, 0);
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    platform::gfx::DrawContextQt dc(image);
    shift.chart().Draw(dc, {0, 0, 400, 300}, {5, 5, 5, 5}, /*legend=*/true, /*print=*/false);
}

TEST_F(TimeGraphsTest, ASpeedAcrossTheWholePlaneIsMeasuredWithoutOverflow)
{
    // A jump from one edge of the plane to the other: squares of nearly 2^32 hundredths pass 64 bits.
    constexpr LONG kEdge = 2'147'000'000;
    HeldShot held{0, 0, 12, 0};
    held.path = [](int k) { return std::pair<LONG, LONG>(k <= -6 ? -kEdge : kEdge, 0); };
    open("AR10", {held});
    data.SetCurrentShot(shot(1).get());
    SpeedGraph graph(services);
    ASSERT_TRUE(graph.Recalculate(SpeedGraph::kAllParts));
    const auto& points = FindSeries(graph.currentShot(), SpeedGraph::kCurrentShot)->points;
    // 42,940,000 mm in 40 ms.
    double fastest = 0;
    for (const ChartPoint& p : points) {
        fastest = std::max(fastest, p.y);
    }
    EXPECT_NEAR(fastest, 1.0735e9, 1e3);
}

TEST_F(TimeGraphsTest, CurrentShotSpeedUsesPartnersInsideTheRangeOnly)
{
    // 200 Hz: partners lie 8 samples (40 ms) away, ahead for the first 9 samples of the range, behind after.
    const auto square = [](int k) { return std::pair<LONG, LONG>(k * k, 0); };
    const auto fast = [](int k) { return std::pair<LONG, LONG>(k * 6000, 0); }; // 480 mm in 40 ms
    struct Case {
        const char* name;
        HeldShot shot;
        std::vector<ChartPoint> points; // (sample, mm/s)
        double top;
    };
    const Case cases[] = {
        // Samples -11..0: -11..-8 look ahead, -7..-3 would look past the shot and are left out, -2..0 look back.
        {"short",
         {0, 0, 12, 0, true, false, 1, -1, square},
         {{-11, 28}, {-10, 24}, {-9, 20}, {-8, 16}, {-2, 24}, {-1, 20}, {0, 16}},
         40},
        {"still", {500, 500, 12, 0}, {{-11, 0}, {-10, 0}, {-9, 0}, {-8, 0}, {-2, 0}, {-1, 0}, {0, 0}}, 20},
        // The squares of 48000 hundredths pass 32 bits.
        {"fast",
         {0, 0, 12, 0, true, false, 1, -1, fast},
         {{-11, 12000}, {-10, 12000}, {-9, 12000}, {-8, 12000}, {-2, 12000}, {-1, 12000}, {0, 12000}},
         12000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("AR10", {c.shot});
        data.SetCurrentShot(shot(1).get());
        SpeedGraph graph(services);
        ASSERT_TRUE(graph.Recalculate(SpeedGraph::kAllParts));
        const auto& points = FindSeries(graph.currentShot(), SpeedGraph::kCurrentShot)->points;
        ASSERT_EQ(points.size(), c.points.size());
        for (const ChartPoint& expected : c.points) {
            const auto found = std::find_if(points.begin(), points.end(), [&](const ChartPoint& p) {
                return std::abs(p.x - expected.x / 200) < 1e-6;
            });
            ASSERT_NE(found, points.end()) << expected.x;
            EXPECT_FLOAT_EQ(static_cast<float>(found->y), static_cast<float>(expected.y)) << expected.x;
        }
        const CChartImpl& chart = graph.currentShot();
        EXPECT_EQ(chart.m_yMax, c.top);
        std::vector<float> ticks;
        for (const ChartLabel& label : chart.labels()) {
            if (label.x == 0) {
                ticks.push_back(static_cast<float>(label.y));
            }
        }
        ASSERT_EQ(ticks.size(), 10U);
        EXPECT_EQ(ticks.front(), c.top / 10);
        EXPECT_EQ(ticks.back(), c.top);
    }
}

TEST(ElapsedLabelsTest, StepInWholeMinutesOrSecondsAndEndWithTheSpan)
{
    struct Case {
        const char* name;
        double span; // in units
        double unitsPerDay;
        std::vector<std::pair<double, std::u16string>> labels; // (units after the start, text)
    };
    const double e = 1e-7 * 1440;
    const Case cases[] = {
        {"7 min 30 s",
         7.5,
         1440,
         {{1, u"01:00"},
          {2, u"02:00"},
          {3, u"03:00"},
          {4, u"04:00"},
          {5, u"05:00"},
          {6, u"06:00"},
          {e, u"00:00"},
          {7.5 - e, u"07:30"}}},
        {"1 h 20 min",
         80,
         1440,
         {{16, u"16:00"}, {32, u"32:00"}, {48, u"48:00"}, {e, u"00:00"}, {80 - e, u"01:20:00"}}},
        {"3 min", 3, 1440, {{1, u"01:00"}, {e, u"00:00"}, {3 - e, u"03:00"}}},
        {"30 s", 0.5, 1440, {{e, u"00:00"}, {0.5 - e, u"00:30"}}},
        {"47 s of a stage",
         47,
         86400,
         {{9, u"00:09"},
          {18, u"00:18"},
          {27, u"00:27"},
          {36, u"00:36"},
          {1e-7 * 86400, u"00:00"},
          {47 - 1e-7 * 86400, u"00:47"}}},
        {"an exact 20 s stage, 3e-12 days long in its dates",
         20 + 3e-12 * 86400,
         86400,
         {{4, u"00:04"}, {8, u"00:08"}, {12, u"00:12"}, {1e-7 * 86400, u"00:00"}, {20 - 1e-7 * 86400, u"00:20"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CChartImpl chart;
        const double start = c.unitsPerDay == 1440 ? kMorning : 0;
        AddElapsedLabels(chart, start, start + c.span / c.unitsPerDay, c.unitsPerDay, 6.3);
        const auto labels = labelsOf(chart);
        ASSERT_EQ(labels.size(), c.labels.size());
        for (std::size_t i = 0; i < labels.size(); ++i) {
            EXPECT_NEAR((labels[i].first - start) * c.unitsPerDay, c.labels[i].first, 1e-6);
            EXPECT_EQ(labels[i].second, c.labels[i].second);
            EXPECT_EQ(chart.labels()[i].y, 6.3);
        }
    }
}

TEST_F(TimeGraphsTest, ShotsAnAgeApartGetTheirEdgeLabelsAndAFewBetween)
{
    for (const double minutes : {1e300, 1e18}) {
        SCOPED_TRACE(minutes);
        open("AR10", {{20, 0}, {360, 0}});
        timeShots({0, minutes});
        TimeIntervalsGraph graph(services);
        graph.Recalculate();
        std::size_t elapsed = 0;
        for (const ChartLabel& label : graph.chart().labels()) {
            elapsed += label.text.find(u':') != std::u16string::npos ? 1 : 0; // "00:00" to the span
        }
        EXPECT_GE(elapsed, 2U);
        EXPECT_LE(elapsed, 6U);
    }
}

TEST_F(TimeGraphsTest, ThePulseCurveRunsOverTheReadingsTheLogHolds)
{
    using platform::com::Variant;
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    struct Case {
        const char* name;
        LONG first;
        LONG last;
        long readings;
    };
    // Two readings are held at 0 and 1; a hostile log claims up to 2^32 of them.
    const Case cases[] = {{"sound", 0, 1, 2},
                          {"last index of the largest", 0, kMax, 2},
                          {"first index of the smallest", kMin, 1, 0},
                          {"both at their ends", kMin, kMax, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open("AR10", {{20, 0}, {360, 0}});
        timeShots({0, 1});
        ASSERT_TRUE(data.AddPulseSample(kMorning, 62));
        ASSERT_TRUE(data.AddPulseSample(kMorning + kMinute / 2, 88));
        ASSERT_EQ(S_OK, data.document()->put_Value(platform::com::Bstr("_pulse_fi").get(),
                                                   Variant::fromInt32(c.first).get()));
        ASSERT_EQ(S_OK,
                  data.document()->put_Value(platform::com::Bstr("_pulse_li").get(), Variant::fromInt32(c.last).get()));
        ASSERT_EQ(data.GetPulseCount(), c.readings);
        TimeIntervalsGraph graph(services);
        graph.Recalculate();
        const ChartSeriesInfo* pulse = FindSeries(graph.chart(), TimeIntervalsGraph::kPulse);
        EXPECT_EQ(pulse ? pulse->points.size() : 0U, c.readings == 0 ? 0U : 4U);
    }
}

TEST_F(TimeGraphsTest, BarsStandAtTheShotsColouredByResultUnderThePulseCurve)
{
    // 10.9, 9.5 and 7.4 (8.8 mm) a minute apart, and a missed shot.
    open("AR10", {{20, 0}, {360, 0}, {880, 0}, {0, 0, 300, 40, true, true}});
    timeShots({0, 1, 2, 3});
    for (const auto& [minute, pulse] : std::vector<std::pair<double, std::int16_t>>{{-1, 62}, {1.5, 88}}) {
        ASSERT_TRUE(data.AddPulseSample(kMorning + minute * kMinute, pulse));
    }
    ASSERT_TRUE(data.SetCurrentShot(shot(2).get()));
    TimeIntervalsGraph graph(services);
    graph.setHighlightColor(kHighlight);
    graph.Recalculate();
    const CChartImpl& chart = graph.chart();
    EXPECT_EQ(graph.count(), 4);
    const COLORREF colours[] = {0x0000FF, kHighlight, 0x00FF00, 0x00FF00};
    for (std::int32_t id = 1; id <= 4; ++id) {
        SCOPED_TRACE(id);
        const ChartSeriesInfo* bar = FindSeries(chart, id);
        ASSERT_NE(bar, nullptr);
        EXPECT_EQ(bar->color, colours[id - 1]);
        EXPECT_EQ(bar->width, 25);
        ASSERT_EQ(bar->points.size(), 2U);
        EXPECT_DOUBLE_EQ(bar->points[0].x, kMorning + (id - 1) * kMinute);
        EXPECT_EQ(bar->points[0].y, 0);
    }
    EXPECT_FLOAT_EQ(static_cast<float>(FindSeries(chart, 3)->points[1].y), 7.4F);
    EXPECT_EQ(FindSeries(chart, 1)->name.substr(0, 11), u"First shot ");
    EXPECT_EQ(FindSeries(chart, 4)->name.substr(0, 10), u"Last shot ");
    // The worst hit less one; the vertical axis stands at the last shot.
    EXPECT_FLOAT_EQ(static_cast<float>(chart.m_yMin), 6.4F);
    EXPECT_EQ(chart.m_yMax, double{10.9F});
    EXPECT_EQ(chart.m_yAxisLevel, kMorning + 3 * kMinute);

    // The pulse holds each reading until the next and runs on to the last shot; 100 is the top of its scale.
    const ChartSeriesInfo* pulse = FindSeries(chart, TimeIntervalsGraph::kPulse);
    ASSERT_NE(pulse, nullptr);
    const double low = chart.m_yMin;
    const auto y = [&](double v) { return low + (double{10.9F} - low) * v / 100; };
    const std::vector<ChartPoint> steps = {{kMorning - kMinute, y(62)},
                                           {kMorning + 1.5 * kMinute, y(62)},
                                           {kMorning + 1.5 * kMinute, y(88)},
                                           {kMorning + 3 * kMinute, y(88)}};
    ASSERT_EQ(pulse->points.size(), steps.size());
    for (std::size_t i = 0; i < steps.size(); ++i) {
        EXPECT_DOUBLE_EQ(pulse->points[i].x, steps[i].x);
        EXPECT_DOUBLE_EQ(pulse->points[i].y, steps[i].y);
    }
    std::vector<std::u16string> scale;
    for (const ChartLabel& label : chart.labels()) {
        if (label.x == kMorning) {
            scale.push_back(label.text);
        }
    }
    EXPECT_EQ(scale,
              (std::vector<std::u16string>{u"10", u"20", u"30", u"40", u"50", u"60", u"70", u"80", u"90", u"100"}));

    // A click on a bar makes its shot current; the pulse curve is no shot and changes nothing.
    graph.OnChartClick(TimeIntervalsGraph::kPulse);
    ComPtr<IShot> current;
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_TRUE(platform::com::isSameObject(current.get(), shot(2).get()));
    graph.OnChartClick(1);
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_TRUE(platform::com::isSameObject(current.get(), shot(1).get()));
    graph.UpdateShotColors();
    EXPECT_EQ(FindSeries(chart, 1)->color, kHighlight);
    EXPECT_EQ(FindSeries(chart, 2)->color, 0x00FF00U);
}

TEST_F(TimeGraphsTest, BiathlonBarsRiseWithTheHitsNearnessToThePlatesCentre)
{
    // Standing plates are 115 mm wide, the second centred 165 mm left of the middle. Shot 3 is hidden.
    open("BTLN", {{-16500 + 1000, 0}, {-16500, 9000}, {-16500, 0}, {-16500 + 300, 400}});
    timeShots({0.25, 0.5, 0.75, 1});
    const ComPtr<IShot> last = shot(4);
    ASSERT_TRUE(data.SetShotHidden(shot(3).get(), true));
    data.SetCurrentShot(last.get());
    TimeIntervalsGraph graph(services);
    graph.setHighlightColor(kHighlight);
    graph.Recalculate();
    const CChartImpl& chart = graph.chart();
    EXPECT_EQ(graph.count(), 0);
    ASSERT_EQ(chart.series().size(), 3U);
    struct Bar {
        float height;
        COLORREF colour;
        std::int32_t width;
    };
    const Bar bars[] = {
        {25 + 70 * 47.5F / 57.5F, 0xC0C0C0, 0}, {25, 0xC0C0C0, 0}, {25 + 70 * 52.5F / 57.5F, kHighlight, 15}};
    for (std::int32_t id = 1; id <= 3; ++id) {
        SCOPED_TRACE(id);
        const ChartSeriesInfo* bar = FindSeries(chart, id);
        EXPECT_NEAR(bar->points[1].y, bars[id - 1].height, 1e-3);
        EXPECT_EQ(bar->color, bars[id - 1].colour);
        EXPECT_EQ(bar->width, bars[id - 1].width);
    }
    EXPECT_EQ(chart.m_yMax, 100);
    EXPECT_EQ(chart.m_baseWidth, 15);
    // Clicks on the stage chart select nothing.
    graph.OnChartClick(1);
    ComPtr<IShot> current;
    ASSERT_TRUE(data.GetCurrentShot(current));
    EXPECT_TRUE(platform::com::isSameObject(current.get(), last.get()));
}

/// The shot details page, and the texts of its elements as they change.
class RecordingPage final : public PageElements::Observer {
public:
    RecordingPage()
    {
        DeclareShotPage(page, [](std::uint32_t) { return std::u16string(); });
        page.setObserver(this);
    }
    ~RecordingPage() { page.setObserver(nullptr); }

    void elementChanged(const std::u16string& id, const PageElements::Element&) override
    {
        (void)page.GetElementText(id, texts[id]);
    }

    PageElements page;
    std::map<std::u16string, std::u16string> texts;
};

TEST_F(TimeGraphsTest, ShotDetailsWaitForTheirPageAndHideWhatTheShotLacks)
{
    // The sighting shot comes first among the practice's shots.
    open("AR10", {{20, 0, 300, 40, false}, {20, 0}, {360, 0}, {880, 0}});
    timeShots({-1, 0, 1.5, 62});
    ASSERT_EQ(S_OK, shot(3)->put_Value(platform::com::Bstr(u"_pulse").get(), pulselog::int16Value(72).get()));
    ASSERT_EQ(S_OK, shot(4)->put_Value(platform::com::Bstr(u"_pulse").get(), pulselog::int16Value(0).get()));
    ShotDetails details(nullptr);
    RecordingPage page;
    struct Case {
        long shot;
        std::map<std::u16string, std::u16string> texts;
    };
    const Case cases[] = {
        // The first match aiming was entered at 8:00:01, a second after the sighting one; shot 2 fell at 8:01:30.
        {3,
         {{u"idShotNumber", u"2"},
          {u"idShotPulse", u"72"},
          {u"idShotResult", u"9.5 "},
          {u"idShotElapsed", u"00:01:29"},
          {u"idShotIntervalPrev", u"00:01:30"},
          {u"idShotIntervalNext", u"01:00:30"}}},
        {4, {{u"idShotNumber", u"3"}, {u"idShotPulse", u"n/a"}, {u"idShotIntervalNext", u""}}},
        {2, {{u"idShotPulse", u""}, {u"idShotIntervalPrev", u""}, {u"idShotResult", u"10.9"}}},
        // A sighting shot has no number: the table and every value are emptied.
        {1, {{u"idShotNumber", u""}, {u"idShotTime", u""}, {u"idShotResult", u""}, {u"idShotElapsed", u""}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shot);
        data.SetCurrentShot(shot(c.shot).get());
        details.Update(data);
        if (c.shot == 3) {
            EXPECT_TRUE(page.texts.empty()); // no page yet: the fill waits for it
            details.SetPage(&page.page);
        }
        for (const auto& [id, text] : c.texts) {
            EXPECT_EQ(page.texts[id], text) << std::string(id.begin(), id.end());
        }
    }
}

} // namespace
} // namespace talvodesk
