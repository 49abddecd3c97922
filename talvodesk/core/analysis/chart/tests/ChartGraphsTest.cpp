#include "talvodesk/core/analysis/chart/CoordinationGraph.h"
#include "talvodesk/core/analysis/chart/DistanceGraph.h"
#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/ChartPractices.h"
#include "talvodesk/core/testing/ChartSeries.h"
#include "talvodesk/core/testing/RecordingFrame.h"

#include "talvodata/tests/support/EventParamsStub.h"
#include "talvodata/tests/support/TempFolder.h"

#include "interfaces/talvodata/IShotCollection.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <string>

namespace talvodesk {
namespace {

using platform::com::ComPtr;
using testsupport::FindSeries;
using testsupport::HeldShot;

// Radii of the air rifle face: ring s has the diameter 0.5 + 5 (10 - s) mm.
constexpr float kRing8 = 5.25F;
constexpr float kRing2 = 20.25F;

bool hasLabel(const CChartImpl& chart, double x, double y, std::u16string_view text)
{
    return std::any_of(chart.labels().begin(), chart.labels().end(), [&](const ChartLabel& label) {
        return label.x == x && label.y == y && label.text == text && label.grid;
    });
}

const std::vector<ChartPoint>& pointsOf(const CChartImpl& chart, std::int32_t id)
{
    return FindSeries(chart, id)->points;
}

class ChartGraphsTest : public ::testing::Test {
protected:
    void open(const char* event, const std::vector<HeldShot>& shots)
    {
        ASSERT_TRUE(data.Open(testsupport::saveHeldPractice(folder.path() / "practice.tlv", event, shots).get()));
    }
    void openModel(const char* event, const std::vector<HeldShot>& shots)
    {
        ASSERT_TRUE(data.OpenModel(testsupport::saveHeldPractice(folder.path() / "model.tlv", event, shots).get()));
    }
    /// Makes the shot of aiming `index` (from 1) current.
    void selectShot(long index)
    {
        ComPtr<IShotCollection> shots;
        ComPtr<IShot> shot;
        ASSERT_TRUE(data.GetShots(shots));
        ASSERT_EQ(S_OK, shots->get_Item(index, shot.put()));
        data.SetCurrentShot(shot.get());
    }

    talvodata::testsupport::TempFolder folder;
    testsupport::RecordingFrame frame;
    CTalvoData data;
    COptions options;
    ChartServices services{data, options, nullptr, &frame};

    ChartGraphsTest() { options.showControlInterval2 = 0; }
};

TEST_F(ChartGraphsTest, DistanceFollowsTheCurrentShotFromTheCentreOfItsArea)
{
    struct Case {
        const char* name;
        const char* event;
        HeldShot shot;
        float controlInterval;
        long controlInterval2;
        std::uint32_t showSecond;
        double xMin;
        double yMax;
        ChartPoint firstDisplacement; // x and y against the first time
        float firstDistance;
        std::vector<std::pair<double, std::u16string>> radii; // on both charts
    };
    const Case cases[] = {
        // 5 mm from the centre snaps to ring 8; the second interval is off.
        {"snapped", "AR10", {300, 400}, 1.0F, 3, 0, -1.0, kRing8, {-3, -4}, 5, {{kRing8, u"8"}, {22.75, u"1"}}},
        // 30 mm lies outside ring 1: the scale stays at the distance.
        {"outside", "AR10", {3000, 0}, 1.0F, 3, 0, -1.0, 30, {-30, 0}, 30, {{0.25, u"10"}}},
        // The second interval of 3 s opens the window, the band stays at 1.5 s.
        {"second", "AR10", {0, -1000, 800}, 1.5F, 3, 1, -3.0, 10.25, {0, 10}, 10, {{10.25, u"6"}}},
        // Biathlon: the standing target's radius scales; the aim is 5 mm from the second circle's centre.
        {"biathlon",
         "BTLN",
         {-16500 + 300, 400},
         1.0F,
         3,
         0,
         -1.0,
         57.5,
         {-3, -4},
         5,
         {{57.5, u"Standing"}, {22.5, u"Prone"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        open(c.event, {c.shot});
        options.showControlInterval2 = c.showSecond;
        ASSERT_TRUE(data.SetShotParameters(12, c.controlInterval, c.controlInterval2, 0, 0, false));
        selectShot(1);
        DistanceGraph graph(services);
        graph.Recalculate();
        const CChartImpl& top = graph.displacement();
        const CChartImpl& bottom = graph.distance();

        EXPECT_EQ(top.m_xMin, c.xMin);
        EXPECT_EQ(bottom.m_xMax, double{0.3F});
        EXPECT_FLOAT_EQ(static_cast<float>(bottom.m_yMax), static_cast<float>(c.yMax));
        EXPECT_EQ(bottom.m_yMin, 0);
        EXPECT_EQ(top.m_yMin, -top.m_yMax);
        // Samples at 200 Hz from the start of the window to the 40 taken after the shot.
        const auto& distance = pointsOf(bottom, DistanceGraph::kAbsoluteDistance);
        ASSERT_EQ(distance.size(), static_cast<std::size_t>(-c.xMin * 200 + 1 + 40));
        EXPECT_EQ(distance.front().x, c.xMin);
        EXPECT_FLOAT_EQ(static_cast<float>(distance.front().y), c.firstDistance);
        EXPECT_FLOAT_EQ(static_cast<float>(pointsOf(top, DistanceGraph::kDisplacementX).front().y),
                        static_cast<float>(c.firstDisplacement.x));
        EXPECT_FLOAT_EQ(static_cast<float>(pointsOf(top, DistanceGraph::kDisplacementY).back().y),
                        static_cast<float>(c.firstDisplacement.y));
        for (const auto& [radius, text] : c.radii) {
            const double r = static_cast<float>(radius);
            EXPECT_TRUE(hasLabel(top, 0, r, text) && hasLabel(top, 0, -r, text) && hasLabel(bottom, 0, r, text))
                << radius;
            EXPECT_FALSE(hasLabel(bottom, 0, -r, text));
        }
        // Ticks every tenth of the window and the band over the first control interval only.
        const auto tick = [t = static_cast<float>(-c.xMin)](int k) {
            return double{static_cast<float>(k) * t / -10.0F};
        };
        EXPECT_TRUE(hasLabel(bottom, tick(-3), 0, c.xMin == -1.0 ? u"0.3" : u"0.9"));
        EXPECT_TRUE(hasLabel(top, tick(5), 0, c.xMin == -1.0 ? u"-0.5" : u"-1.5"));
        ASSERT_EQ(bottom.bands().size(), 1U);
        EXPECT_FLOAT_EQ(static_cast<float>(bottom.bands()[0].left), -c.controlInterval);
        EXPECT_FLOAT_EQ(static_cast<float>(bottom.bands()[0].width), c.controlInterval);
        EXPECT_EQ(bottom.bands()[0].height, 0);
        EXPECT_FALSE(FindSeries(bottom, DistanceGraph::kTrigger)->visible);
        data.Reset();
    }
}

TEST_F(ChartGraphsTest, TickTextsAreWrittenInTheCLocaleWhateverTheUsersLocale)
{
    const std::string previous = std::setlocale(LC_NUMERIC, nullptr);
    if (!std::setlocale(LC_NUMERIC, "de_DE.utf8")) {
        GTEST_SKIP() << "no German locale installed";
    }
    open("AR10", {HeldShot{300, 400}});
    ASSERT_TRUE(data.SetShotParameters(12, 1.5F, 3, 0, 0, false));
    selectShot(1);
    DistanceGraph graph(services);
    graph.Recalculate();
    std::setlocale(LC_NUMERIC, previous.c_str());
    EXPECT_TRUE(hasLabel(graph.distance(), double{-1.5F / 10}, 0, u"-0.15"));
    EXPECT_TRUE(hasLabel(graph.distance(), double{-3 * 1.5F / -10}, 0, u"0.45"));
}

TEST_F(ChartGraphsTest, TriggerPressureIsScaledToTheShotAndLeftOutWithoutAReference)
{
    struct Case {
        LONG trigger;
        bool shown;
    };
    for (const Case& c : {Case{50, true}, Case{0, false}, Case{-1, false}}) {
        SCOPED_TRACE(c.trigger);
        HeldShot shot{300, 400};
        shot.trigger = c.trigger;
        open("AR10", {shot});
        selectShot(1);
        DistanceGraph graph(services);
        graph.Recalculate();
        const CChartImpl& chart = graph.distance();
        EXPECT_EQ(FindSeries(chart, DistanceGraph::kTrigger)->visible, c.shown);
        const auto& pressure = pointsOf(chart, DistanceGraph::kTrigger);
        EXPECT_EQ(pressure.size(), c.shown ? 241U : 0U);
        if (c.shown) {
            // The pressure at the shot sits at 1/1.2 of the height: 5.25 / 1.2.
            EXPECT_FLOAT_EQ(static_cast<float>(pressure.back().y), kRing8 / 1.2F);
        }
        // The percentage scale stands inside the left edge: 100 % at 100 / 120 of the height.
        EXPECT_EQ(hasLabel(chart, -1.0, 100 * double{kRing8} / 120, u"100%"), c.shown);
        data.Reset();
    }
}

TEST_F(ChartGraphsTest, AMissedCurrentShotEmptiesTheCurvesAndKeepsTheAxes)
{
    HeldShot missed{300, 400};
    missed.missed = true;
    open("AR10", {HeldShot{300, 400}, missed});
    DistanceGraph graph(services);
    selectShot(1);
    graph.Recalculate();
    const std::size_t labels = graph.distance().labels().size();
    ASSERT_GT(labels, 0U);
    selectShot(2);
    graph.Recalculate();
    EXPECT_TRUE(pointsOf(graph.distance(), DistanceGraph::kAbsoluteDistance).empty());
    EXPECT_TRUE(pointsOf(graph.displacement(), DistanceGraph::kDisplacementX).empty());
    EXPECT_EQ(graph.distance().labels().size(), labels);
    EXPECT_EQ(graph.distance().bands().size(), 1U);
}

TEST_F(ChartGraphsTest, CoordinationTurnsGreyForGoodAndScalesToTheModelsMatchShots)
{
    // The second shot's window starts 100 samples before its shot, so before that only the first shot covers the
    // window and the mean is negative: the walk switches to grey there.
    HeldShot late{600, 800};
    late.before = 100;
    HeldShot sighting{1200, 1600};
    sighting.match = false;
    HeldShot modelSighting{3000, 4000};
    modelSighting.match = false;
    open("AR10", {HeldShot{300, 400}, late, sighting});
    openModel("AR10", {HeldShot{1200, 1600}, modelSighting});

    CoordinationGraph graph(services);
    ASSERT_TRUE(graph.Recalculate(CoordinationGraph::kAllParts));
    const CChartImpl& chart = graph.chart();
    struct Case {
        std::int32_t series;
        std::size_t count;
        double firstX;
        float firstY;
        float lastY;
    };
    // Distances 5 and 10 mm (mean 7.5), 5 mm alone, the model 20 mm; each plus 0.01 so no covered sample is 0.
    const Case cases[] = {
        {CoordinationGraph::kDocumentFinal, 100, 0, 7.51F, 7.51F},
        {CoordinationGraph::kDocumentBefore, 101, -0.5, 5.01F, 5.01F},
        {CoordinationGraph::kDocumentAfter, 41, 0, 7.51F, 7.51F}, // the shot sample and the 40 after it
        {CoordinationGraph::kModelFinal, 201, 0, 20.01F, 20.01F},
        {CoordinationGraph::kModelBefore, 0, 0, 0, 0},
        {CoordinationGraph::kModelAfter, 41, 0, 20.01F, 20.01F},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.series);
        const auto& points = pointsOf(chart, c.series);
        ASSERT_EQ(points.size(), c.count);
        if (c.count > 0) {
            EXPECT_FLOAT_EQ(static_cast<float>(points.front().y), c.firstY);
            EXPECT_FLOAT_EQ(static_cast<float>(points.back().y), c.lastY);
        }
    }
    EXPECT_EQ(pointsOf(chart, CoordinationGraph::kDocumentBefore).front().x, -0.5);
    EXPECT_EQ(pointsOf(chart, CoordinationGraph::kDocumentBefore).back().x, -1.0);
    // 20.01 snaps up to ring 2; the frame runs from the window's start to 0.3 s after the shot.
    EXPECT_EQ(chart.m_yMax, double{kRing2});
    EXPECT_EQ(chart.m_xMin, -1.0);
    EXPECT_EQ(FindSeries(chart, CoordinationGraph::kDocumentFinal)->name, u"Coordination: 2 match shots");
    EXPECT_EQ(FindSeries(chart, CoordinationGraph::kModelFinal)->name, u"Model: 1 match shots");
    EXPECT_TRUE(hasLabel(chart, 0, kRing8, u"8"));
    EXPECT_TRUE(hasLabel(chart, double{-0.1F}, 0, u"-0.1"));
    EXPECT_EQ(chart.labels().size(), 10U + 13U);
    EXPECT_EQ(frame.calls.front(), "begin 61510");
    EXPECT_EQ(frame.calls.back(), "end");
    EXPECT_EQ(frame.calls.size(), 1U + 1U + 4U + 1U);

    // Closing the model recomputes only its part: the document's curve and its share of the scale stay.
    ASSERT_TRUE(data.CloseModel());
    ASSERT_TRUE(graph.Recalculate(CoordinationGraph::kModelPart));
    EXPECT_EQ(pointsOf(chart, CoordinationGraph::kDocumentFinal).size(), 100U);
    EXPECT_TRUE(pointsOf(chart, CoordinationGraph::kModelFinal).empty());
    EXPECT_EQ(chart.m_yMax, double{7.75F}); // 7.51 snaps to ring 7
    EXPECT_EQ(FindSeries(chart, CoordinationGraph::kModelFinal)->name, u"Model: 0 match shots");
    graph.LoadTexts();
    EXPECT_EQ(FindSeries(chart, CoordinationGraph::kModelFinal)->name, u"");
}

TEST_F(ChartGraphsTest, CoordinationMarksTheBiathlonTargetsAndEmptiesWithoutADocument)
{
    open("BTLN", {HeldShot{-16500, 0}});
    CoordinationGraph graph(services);
    ASSERT_TRUE(graph.Recalculate(CoordinationGraph::kAllParts));
    EXPECT_TRUE(hasLabel(graph.chart(), 0, 57.5, u"Standing"));
    EXPECT_TRUE(hasLabel(graph.chart(), 0, 22.5, u"Prone"));
    EXPECT_EQ(graph.chart().labels().size(), 2U + 13U);
    EXPECT_EQ(graph.chart().m_yMax, double{0.01F}); // no ring snapping on a face without rings

    data.Reset();
    EXPECT_FALSE(graph.Recalculate(CoordinationGraph::kAllParts));
    EXPECT_TRUE(graph.chart().labels().empty());
    EXPECT_TRUE(graph.chart().bands().empty());
    EXPECT_TRUE(pointsOf(graph.chart(), CoordinationGraph::kDocumentFinal).empty());
}

/// Scores 10.5 less the distance from the centre along x (never below 0), and counts its calls.
class LinearEvent final : public talvodata::testing::EventParamsStub {
public:
    HRESULT GetBreachScore(float x, float, LONG, float* score) override
    {
        ++calls;
        *score = std::max(0.0F, 10.5F - std::fabs(x));
        return S_OK;
    }
    long calls = 0;
};

TEST_F(ChartGraphsTest, DispersionsReScoreEveryBreach1201TimesInWholeOrFractionalPoints)
{
    // Every offset moves the breach d to the right: all 30 trials of one dispersion give the same total.
    const DispersionSource right = [](float& dx, float& dy, float d) {
        dx = d;
        dy = 0;
    };
    const ScoredBreach breaches[] = {{0, 0, 1}, {0, 0, 1}};
    struct Case {
        bool fraction;
        float d;
        float atLeast;
        float above;
        float change;
    };
    const Case cases[] = {
        // Tenths count: 21.0 at 0, 21 - 2d after, 0 beyond 10.5 mm.
        {true, 0, 100, 0, 0},
        {true, 0.5F, 0, 0, -1},
        {true, 20, 0, 0, -21},
        // Whole points: 20 at 0; 10.0 still scores 10 at 0.5 mm, 9.5 scores 9 at 1 mm.
        {false, 0, 100, 0, 0},
        {false, 0.5F, 100, 0, 0},
        {false, 1, 0, 0, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.d) + (c.fraction ? " fraction" : " whole"));
        auto event = platform::com::makeComObject<LinearEvent>();
        CChartImpl probability;
        CChartImpl result;
        for (std::int32_t id = 1; id <= 2; ++id) {
            probability.AddSeries(id, 0, 0, true);
        }
        for (std::int32_t id = 3; id <= 5; ++id) {
            result.AddSeries(id, 0, 0, true);
        }
        ScoreDispersions(*event, breaches, c.fraction, right, probability, result, nullptr);
        EXPECT_EQ(event->calls, 1201 * 2);
        const auto index = static_cast<std::size_t>(c.d * 2);
        ASSERT_EQ(pointsOf(probability, ProbabilityGraph::kAtLeast).size(), 41U);
        EXPECT_EQ(pointsOf(probability, ProbabilityGraph::kAtLeast)[index].x, c.d);
        EXPECT_EQ(pointsOf(probability, ProbabilityGraph::kAtLeast)[index].y, c.atLeast);
        EXPECT_EQ(pointsOf(probability, ProbabilityGraph::kAbove)[index].y, c.above);
        for (std::int32_t id :
             {ProbabilityGraph::kMeanChange, ProbabilityGraph::kLowestChange, ProbabilityGraph::kHighestChange}) {
            EXPECT_FLOAT_EQ(static_cast<float>(pointsOf(result, id)[index].y), c.change) << id;
        }
    }
}

TEST_F(ChartGraphsTest, ProbabilityLeavesOutMissesAndStaysEmptyForBiathlon)
{
    long offsets = 0;
    const DispersionSource counting = [&offsets](float& dx, float& dy, float) {
        ++offsets;
        dx = 0;
        dy = 0;
    };
    HeldShot missed;
    missed.missed = true;
    HeldShot sighting;
    sighting.match = false;
    struct Case {
        const char* event;
        std::vector<HeldShot> shots;
        long offsets; // 1200 per scored shot
        std::size_t points;
    };
    const Case cases[] = {
        {"AR10", {HeldShot{}, missed, HeldShot{300, 400}, sighting}, 2 * 1200, 41},
        {"BTLN", {HeldShot{-16500, 0}}, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event);
        open(c.event, c.shots);
        offsets = 0;
        ProbabilityGraph graph(services, counting);
        graph.Recalculate(false);
        EXPECT_EQ(offsets, c.offsets);
        const auto& atLeast = pointsOf(graph.probability(), ProbabilityGraph::kAtLeast);
        ASSERT_EQ(atLeast.size(), c.points);
        if (c.points > 0) {
            // Without displacement every trial scores the actual total.
            EXPECT_EQ(atLeast.front().y, 100);
            EXPECT_EQ(atLeast.back().y, 100);
            EXPECT_EQ(pointsOf(graph.probability(), ProbabilityGraph::kAbove).back().y, 0);
            EXPECT_EQ(pointsOf(graph.result(), ProbabilityGraph::kMeanChange).back().y, 0);
        }
        data.Reset();
    }
    // The fixed axes: a change of zero on the result chart's axis; every other tick written.
    ProbabilityGraph graph(services, counting);
    EXPECT_EQ(graph.result().m_yMin, -7);
    EXPECT_EQ(graph.result().m_yMax, 3);
    for (const auto& [k, text] : std::vector<std::pair<int, std::u16string>>{
             {-7, u"-7"}, {-6, u""}, {-5, u"-5"}, {-2, u""}, {-1, u"-1"}, {1, u"1"}, {2, u""}, {3, u"3"}}) {
        EXPECT_TRUE(hasLabel(graph.result(), 0, k, text)) << k;
    }
    EXPECT_TRUE(hasLabel(graph.probability(), 0, 40, u"40%"));
    EXPECT_TRUE(hasLabel(graph.probability(), 0, 50, u""));
}

} // namespace
} // namespace talvodesk
