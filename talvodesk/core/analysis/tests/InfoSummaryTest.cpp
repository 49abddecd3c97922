#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/analysis/InfoPage.h"
#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/analysis/ShotStatistics.h"
#include "talvodesk/core/options/StringTable.h"

#include "platform/com/Bstr.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

using namespace talvodesk;

namespace {

constexpr double kSecond = 1.0 / 86400.0;
constexpr DATE kStart = 46000.5;

SummaryShot hit(double seconds, float result, float x, float y, float ax, float ay, float lx, float ly, int steadiness,
                long subTarget = 1)
{
    SummaryShot shot;
    shot.time = kStart + seconds * kSecond;
    shot.result = result;
    shot.breachX = x;
    shot.breachY = y;
    shot.averageX = ax;
    shot.averageY = ay;
    shot.length = lx + ly;
    shot.lengthX = lx;
    shot.lengthY = ly;
    shot.steadiness = steadiness;
    shot.subTarget = subTarget;
    return shot;
}

SummaryShot miss(double seconds, long subTarget = 1)
{
    SummaryShot shot;
    shot.missed = true;
    shot.time = kStart + seconds * kSecond;
    shot.subTarget = subTarget;
    return shot;
}

/// Scores a breach 10 less half its distance in x and y, so coincided results are easy to add up.
float simpleScore(float x, float y, long)
{
    return 10.0F - (std::fabs(x) + std::fabs(y)) / 2.0F;
}

SideSummary expectedMixed()
{
    SideSummary mixed;
    mixed.timesValid = true;
    mixed.shotCount = 4;
    mixed.hitCount = 3;
    mixed.centreX = 0;
    mixed.centreY = 1;
    mixed.startDate = kStart;
    mixed.integerResult = 27;
    mixed.fractionalResult = 27.9F;
    mixed.averageResult = 6.975F;
    mixed.coincidedResult = 26.0F; // shifted to (2, -1), (-2, -1), (0, 2)
    mixed.totalTime = 130 * kSecond;
    mixed.averageTime = 32.5 * kSecond;
    mixed.shortestInterval = 30 * kSecond;
    mixed.longestInterval = 60 * kSecond;
    mixed.intervalStability = 50; // hits at 10, 100, 130 s: mean 60, deviation 60 of 120
    mixed.groupSize = 4;
    mixed.aimingStability = std::sqrt(8.0F);
    mixed.accuracy = 1;
    mixed.steadiness = 68; // 205 / 3
    mixed.traceLength = 5;
    mixed.traceLengthX = 10.0F / 3;
    mixed.traceLengthY = 5.0F / 3;
    mixed.groupEllipse = 4.0F / 3;
    mixed.traceEllipse = (1.5F + 1.0F / 3) / 2; // the shot without vertical length is left out
    return mixed;
}

/// One hit: its own aiming point gives the accuracy (3-4-5); no pair, so no group size or ellipse.
SideSummary expectedSingleHit()
{
    SideSummary single;
    single.timesValid = true;
    single.shotCount = 1;
    single.hitCount = 1;
    single.centreX = 3;
    single.centreY = 4;
    single.startDate = kStart;
    single.integerResult = 9;
    single.fractionalResult = 9.9F;
    single.averageResult = 9.9F;
    single.coincidedResult = 10;
    single.totalTime = 20 * kSecond;
    single.averageTime = 20 * kSecond;
    single.accuracy = 5;
    single.steadiness = 70;
    single.traceLength = 3;
    single.traceLengthX = 1;
    single.traceLengthY = 2;
    return single;
}

SideSummary expectedAllMissed()
{
    SideSummary missed;
    missed.timesValid = true;
    missed.shotCount = 2;
    missed.startDate = kStart;
    missed.totalTime = 30 * kSecond;
    missed.averageTime = 15 * kSecond;
    missed.shortestInterval = 20 * kSecond;
    missed.longestInterval = 20 * kSecond;
    return missed;
}

/// Biathlon: faces counted with misses, no steadiness, no coincided result, the per-aiming rhythm.
SideSummary expectedBiathlon()
{
    SideSummary biathlon;
    biathlon.timesValid = true;
    biathlon.shotCount = 3;
    biathlon.hitCount = 2;
    biathlon.standingCount = 2;
    biathlon.proneCount = 1;
    biathlon.centreX = 1;
    biathlon.startDate = kStart;
    biathlon.integerResult = 20;
    biathlon.fractionalResult = 20;
    biathlon.averageResult = 6.667F;
    biathlon.totalTime = 30 * kSecond;
    biathlon.averageTime = 10 * kSecond;
    biathlon.shortestInterval = 10 * kSecond;
    biathlon.longestInterval = 10 * kSecond;
    biathlon.intervalStability = 77;
    biathlon.groupSize = 2;
    biathlon.aimingStability = 0;
    biathlon.traceLength = 0;
    biathlon.groupEllipse = 2;
    return biathlon;
}

/// Times out of order: no time figure, the rest as usual.
SideSummary expectedUnordered()
{
    SideSummary unordered = expectedAllMissed();
    unordered.timesValid = false;
    unordered.totalTime = unordered.averageTime = 0;
    unordered.shortestInterval = -20 * kSecond;
    unordered.longestInterval = 0;
    return unordered;
}

void expectSideSummary(const SideSummary& e, const SideSummary& s)
{
    EXPECT_EQ(e.timesValid, s.timesValid);
    EXPECT_EQ(e.shotCount, s.shotCount);
    EXPECT_EQ(e.hitCount, s.hitCount);
    EXPECT_EQ(e.standingCount, s.standingCount);
    EXPECT_EQ(e.proneCount, s.proneCount);
    EXPECT_EQ(e.integerResult, s.integerResult);
    EXPECT_EQ(e.intervalStability, s.intervalStability);
    EXPECT_EQ(e.steadiness, s.steadiness);
    EXPECT_DOUBLE_EQ(e.startDate, s.startDate);
    const std::map<const char*, std::pair<float, float>> floats = {
        {"centreX", {e.centreX, s.centreX}},
        {"centreY", {e.centreY, s.centreY}},
        {"fractional", {e.fractionalResult, s.fractionalResult}},
        {"average", {e.averageResult, s.averageResult}},
        {"coincided", {e.coincidedResult, s.coincidedResult}},
        {"group size", {e.groupSize, s.groupSize}},
        {"aiming stability", {e.aimingStability, s.aimingStability}},
        {"accuracy", {e.accuracy, s.accuracy}},
        {"length", {e.traceLength, s.traceLength}},
        {"length x", {e.traceLengthX, s.traceLengthX}},
        {"length y", {e.traceLengthY, s.traceLengthY}},
        {"group ellipse", {e.groupEllipse, s.groupEllipse}},
        {"trace ellipse", {e.traceEllipse, s.traceEllipse}},
    };
    for (const auto& [name, values] : floats) {
        EXPECT_NEAR(values.first, values.second, 1e-5) << name;
    }
    const std::map<const char*, std::pair<double, double>> times = {
        {"total", {e.totalTime, s.totalTime}},
        {"average time", {e.averageTime, s.averageTime}},
        {"shortest", {e.shortestInterval, s.shortestInterval}},
        {"longest", {e.longestInterval, s.longestInterval}},
    };
    for (const auto& [name, values] : times) {
        EXPECT_NEAR(values.first, values.second, 1e-9) << name;
    }
}

TEST(InfoSummaryTest, SumsUpHitsMissesIntervalsAndGroups)
{
    struct Case {
        const char* name;
        std::vector<SummaryShot> shots;
        bool biathlon;
        bool timesValid;
        SideSummary expected;
    };
    const Case cases[] = {
        {"mixed",
         {hit(10, 10.4F, 2, 0, 1, 0, 3, 2, 90), miss(40), hit(100, 9.5F, -2, 0, -1, 2, 6, 0, 65),
          hit(130, 8.0F, 0, 3, 0, 1, 1, 3, 50)},
         false,
         true,
         expectedMixed()},
        {"single hit", {hit(20, 9.9F, 3, 4, 3, 4, 1, 2, 70)}, false, true, expectedSingleHit()},
        {"all missed", {miss(10), miss(30)}, false, true, expectedAllMissed()},
        {"biathlon",
         {hit(10, 10, 0, 0, 0, 0, 0, 0, 90, 1), miss(20, 2), hit(30, 10, 2, 0, 0, 0, 0, 0, 90, 1)},
         true,
         true,
         expectedBiathlon()},
        {"unordered", {miss(30), miss(10)}, false, false, expectedUnordered()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SummarySideInput side;
        side.timesValid = c.timesValid;
        side.startDate = kStart;
        side.seriesIntervalStability = 77;
        expectSideSummary(c.expected, ComputeSideSummary(c.shots, side, {c.biathlon, false, simpleScore}));
    }
}

TEST(InfoSummaryTest, WholePointsOfHugeResultsSaturateInsteadOfOverflowing)
{
    struct Case {
        const char* name;
        std::vector<float> results;
        std::int32_t whole;
    };
    const Case cases[] = {
        {"sound", {10.9F, 9.5F}, 19},
        {"two of 2.1e9", {2.1e9F, 2.1e9F}, std::numeric_limits<std::int32_t>::max()},
        {"one beyond a 32-bit integer", {3e9F}, std::numeric_limits<std::int32_t>::max()},
        {"one far below", {-3e38F}, std::numeric_limits<std::int32_t>::min()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<SummaryShot> shots;
        for (std::size_t k = 0; k < c.results.size(); ++k) {
            shots.push_back(hit(10.0 * static_cast<double>(k), c.results[k], 0, 0, 0, 0, 0, 0, 100));
        }
        EXPECT_EQ(ComputeSideSummary(shots, {}, {}).integerResult, c.whole);
    }
}

TEST(InfoSummaryTest, AverageRoundsAHalfThousandthToEven)
{
    struct Case {
        float first;
        float second;
        float average;
    };
    // Two hits and six misses: 2.5 / 8 = 0.3125 and 7.5 / 8 = 0.9375 both end on a half thousandth.
    const Case cases[] = {{1.0F, 1.5F, 0.312F}, {3.5F, 4.0F, 0.938F}, {10.0F, 0.0F, 1.25F}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.first + c.second);
        std::vector<SummaryShot> shots(6, miss(0));
        shots.push_back(hit(0, c.first, 0, 0, 0, 0, 0, 0, 0));
        shots.push_back(hit(0, c.second, 0, 0, 0, 0, 0, 0, 0));
        EXPECT_FLOAT_EQ(c.average, ComputeSideSummary(shots, {}, {}).averageResult);
    }
}

/// The states a fill leaves: display of every element that has one, and the HTML of every value cell.
class InfoPageFillTest : public testing::Test {
protected:
    InfoPageFillTest()
    {
        DeclareInfoPage(page, [](std::uint32_t id) { return StringTable::english().find(id)->c_str(); });
        formats.millimetres = u"%-3.1f mm";
        formats.seconds = u"%-5.1f sec";
        formats.locale = 0x0409;
        formats.modelComments = u"calm <wind>";
    }

    std::string html(std::u16string_view id) const
    {
        const PageElements::Element* element = page.GetElement(id);
        return element ? platform::com::utf16ToUtf8(element->html) : "(missing)";
    }
    std::string display(std::u16string_view id) const
    {
        const PageElements::Element* element = page.GetElement(id);
        return element ? platform::com::utf16ToUtf8(element->display) : "(missing)";
    }

    static InfoSummary practice()
    {
        InfoSummary summary;
        summary.controlInterval = 1.0F;
        summary.eventDisplayName = u"Air Rifle 10 Meters (4.5 mm)";
        summary.eventShortName = u"AR10";
        summary.positionText[0] = u"Standing";
        summary.modelShooterName = u"Bob";
        SideSummary& doc = summary.sides[0];
        doc.timesValid = true;
        doc.shotCount = 3;
        doc.hitCount = 2;
        doc.startDate = 46000.5;
        doc.integerResult = 20;
        doc.fractionalResult = 21.4F;
        doc.averageResult = 7.133F;
        doc.coincidedResult = 21.6F;
        doc.totalTime = 25 * kSecond;
        doc.averageTime = 25.0 / 3 * kSecond;
        doc.shortestInterval = 10 * kSecond;
        doc.longestInterval = 70 * kSecond;
        doc.intervalStability = 100;
        doc.groupSize = 1.25F;
        doc.accuracy = 0.625F;
        doc.steadiness = 100;
        doc.traceLength = 3.5F;
        doc.groupEllipse = 1.25F;
        SideSummary& model = summary.sides[1];
        model.timesValid = true;
        model.shotCount = 2;
        model.hitCount = 2;
        model.startDate = 46001.5;
        model.integerResult = 20;
        model.fractionalResult = 20.9F;
        model.averageResult = 10.45F;
        model.totalTime = 3725 * kSecond;
        model.averageTime = 1863 * kSecond;
        model.shortestInterval = 5 * kSecond;
        model.longestInterval = 5 * kSecond;
        return summary;
    }

    PageElements page;
    InfoPageFormats formats;
};

TEST_F(InfoPageFillTest, PracticeWithModelShowsEachModelValueInRed)
{
    EXPECT_TRUE(FillInfoPageTexts(page, practice(), formats));
    const std::vector<std::pair<std::u16string_view, std::string>> values = {
        {u"idEvent", "Air Rifle 10 Meters (4.5 mm) (AR10) Standing"},
        {u"idShotCount", "3<font color=red> (2)</font>"},
        {u"idResultInt", "20<font color=red> (20)</font>"},
        {u"idResultFractional", "21.4<font color=red> (20.9)</font>"},
        {u"idResultAverage", "7.133 <font color=red> (10.450)</font>"},
        {u"idResultIntCoinsided", "21.6 (+0.2)<font color=red> (0.0  (-20.9))</font>"},
        {u"idTotalShootingTime", "00:00:25<font color=red> (01:02:05)</font>"},
        {u"idAvgTimePerShot", "00:00:08 (00:00:10, 00:01:10)<font color=red> (00:31:03 (00:00:05, 00:00:05))</font>"},
        {u"idStabilityOfTimeInterval", "100%<font color=red> (0%)</font>"},
        {u"idDiametralDispersion", "1.2 mm<font color=red> (0.0 mm)</font>"},
        {u"idAccuracyOfShooting", "0.6 mm<font color=red> (0.0 mm)</font>"},
        {u"idAvgSteadiness", "100%<font color=red> (0%)</font>"},
        {u"idAvgLen", "3.5 mm<font color=red> (0.0 mm)</font>"},
        {u"idEllipticalFactorGroup", "1.25<font color=red> (0.00)</font>"},
        {u"idControlInterval", "1.0   sec"},
        {u"idShooterNameModel", "Bob"},
        {u"idCommentsModel", "calm &lt;wind&gt;"},
    };
    for (const auto& [id, text] : values) {
        EXPECT_EQ(text, html(id)) << platform::com::utf16ToUtf8(id);
    }
    // The dates are written the locale's way; the model's follows in red.
    EXPECT_NE(std::string::npos, html(u"idDateTime").find("<font color=red> ("));
    EXPECT_EQ(std::string::npos, html(u"idDateTime").find("n/a"));
    const std::vector<std::pair<std::u16string_view, std::string>> displays = {
        {u"idStatRow", "block"},
        {u"idModelInfoRow", "block"},
        {u"idTargetRow1", "block"},
        {u"idTargetStandingRow1", "none"},
        {u"idResultIntCoinsidedRow", "block"},
        {u"idAvgLenRow", "block"},
        {u"idResultAverageTitle", "inline"},
    };
    for (const auto& [id, shown] : displays) {
        EXPECT_EQ(shown, display(id)) << platform::com::utf16ToUtf8(id);
    }
}

TEST_F(InfoPageFillTest, LayoutsAndMissingValuesOfEachKindOfPractice)
{
    struct Case {
        const char* name;
        std::function<void(InfoSummary&)> change;
        std::vector<std::pair<std::u16string_view, std::string>> html;
        std::vector<std::pair<std::u16string_view, std::string>> display;
    };
    const Case cases[] = {
        {"biathlon",
         [](InfoSummary& s) {
             s.biathlon = true;
             s.sides[0].standingCount = 2;
             s.sides[0].proneCount = 1;
             s.sides[1].standingCount = 2;
         },
         {{u"idResultFractional", ""},
          {u"idAvgTimePerShot", "00:00:08<font color=red> (00:31:03 (00:00:05, 00:00:05))</font>"},
          {u"idAvgLen", "3.5 mm<font color=red> (0.0 mm)</font>"}},
         {{u"idTargetRow1", "none"},
          {u"idTargetRow2", "none"},
          {u"idTargetStandingRow1", "block"},
          {u"idTargetProneRow1", "block"},
          {u"idTargetStandingRow2", "block"},
          {u"idTargetProneRow2", "none"},
          {u"idResultFractionalTitle", "none"},
          {u"idResultAverageTitle", "none"},
          {u"idResultIntCoinsidedRow", "none"},
          {u"idDiametralDispersionRow", "none"},
          {u"idEllipticalFactorGroupRow", "none"},
          {u"idAvgLenRow", "block"}}},
        {"unordered times",
         [](InfoSummary& s) {
             s.sides[0].timesValid = false;
             s.sides[1].timesValid = false;
         },
         {{u"idDateTime", "n/a"},
          {u"idTotalShootingTime", "n/a"},
          {u"idAvgTimePerShot", "n/a"},
          {u"idStabilityOfTimeInterval", "n/a"},
          {u"idShotCount", "3<font color=red> (2)</font>"}},
         {{u"idTotalShootingTimeRow", "block"}}},
        {"model only",
         [](InfoSummary& s) { s.sides[0] = {}; },
         {{u"idShotCount", "n/a<font color=red> (2)</font>"},
          {u"idResultInt", "n/a<font color=red> (20)</font>"},
          {u"idDiametralDispersion", "0.0 mm<font color=red> (0.0 mm)</font>"},
          {u"idAvgLen", "n/a<font color=red> (0.0 mm)</font>"}},
         {{u"idStatRow", "block"}}},
        {"all missed, no model",
         [](InfoSummary& s) {
             s.sides[1] = {};
             s.sides[0].hitCount = 0;
         },
         {{u"idResultInt", "20"}, {u"idResultAverage", "7.133 "}},
         {{u"idModelInfoRow", "none"},
          {u"idDiametralDispersionRow", "none"},
          {u"idAvgLenRow", "none"},
          {u"idResultIntCoinsidedRow", "none"}}},
        {"no shots at all",
         [](InfoSummary& s) { s.sides = {}; },
         {},
         {{u"idStatRow", "none"}, {u"idModelInfoRow", "none"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        (void)FillInfoPageTexts(page, practice(), formats); // Every fill replaces what the last one left.
        InfoSummary summary = practice();
        c.change(summary);
        EXPECT_EQ(summary.sides[0].shotCount > 0 || summary.sides[1].shotCount > 0,
                  FillInfoPageTexts(page, summary, formats));
        for (const auto& [id, text] : c.html) {
            EXPECT_EQ(text, html(id)) << platform::com::utf16ToUtf8(id);
        }
        for (const auto& [id, shown] : c.display) {
            EXPECT_EQ(shown, display(id)) << platform::com::utf16ToUtf8(id);
        }
    }

    formats.centreGroup = true;
    EXPECT_TRUE(FillInfoPageTexts(page, practice(), formats));
    EXPECT_EQ("none", display(u"idResultIntCoinsidedRow"));
}

TEST(PageElementsTest, RowsShowForAnyTextAndHideForNone)
{
    PageElements page;
    page.add(u"idA");
    page.add(u"idARow", u"none");
    page.add(u"idB");
    struct Case {
        std::u16string_view id;
        std::optional<std::u16string> html;
        /// Set as a text: shown as written, an empty one hides the row.
        bool asText;
        bool result;
        const char* rowDisplay;
        const char* text;
    };
    const Case cases[] = {
        {u"idA", u"1.0 mm<font color=red> (2&amp;3)</font>", false, true, "block", "1.0 mm (2&3)"},
        {u"idA", std::u16string(), false, true, "block", ""},
        {u"idA", std::nullopt, false, true, "none", ""},
        {u"idA", u"<b>a & \"b\"</b>", true, true, "block", "<b>a & \"b\"</b>"},
        {u"idA", std::u16string(), true, true, "none", ""},
        {u"idB", u"<b>x</b>", false, true, nullptr, "x"},
        {u"idMissing", u"x", false, false, nullptr, nullptr},
        {u"idMissing", u"x", true, false, nullptr, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(platform::com::utf16ToUtf8(c.id));
        EXPECT_EQ(c.result, c.asText ? page.SetElementText(c.id, *c.html) : page.SetRowValue(c.id, c.html));
        std::u16string text;
        EXPECT_EQ(c.text != nullptr, page.GetElementText(c.id, text));
        if (c.text) {
            EXPECT_EQ(c.text, platform::com::utf16ToUtf8(text));
        }
        if (c.rowDisplay) {
            EXPECT_EQ(c.rowDisplay,
                      platform::com::utf16ToUtf8(page.GetElement(std::u16string(c.id) + u"Row")->display));
        }
    }
    EXPECT_FALSE(page.SetElementDisplay(u"idMissing", u"none"));
}

TEST(LargestSquaredDistanceTest, EqualsTheWalkOverEveryPair)
{
    const auto everyPair = [](const std::vector<PlanePoint>& points) {
        float largest = 0;
        for (std::size_t k = 0; k < points.size(); ++k) {
            for (std::size_t j = k + 1; j < points.size(); ++j) {
                const float dx = points[k].x - points[j].x;
                const float dy = points[k].y - points[j].y;
                largest = std::max(largest, dx * dx + dy * dy);
            }
        }
        return largest;
    };
    std::mt19937 random(7);
    std::normal_distribution<float> spread(0, 4);
    std::uniform_real_distribution<float> angle(0, 6.2831853F);
    struct Case {
        const char* name;
        std::size_t count;
        std::function<PlanePoint(std::size_t)> point;
    };
    const std::vector<Case> cases{
        {"one", 1,
         [](std::size_t) {
             return PlanePoint{3, 4};
         }},
        {"a group", 3000,
         [&](std::size_t) {
             return PlanePoint{spread(random), spread(random)};
         }},
        {"every point on a circle", 700,
         [&](std::size_t) {
             const float a = angle(random);
             return PlanePoint{20 * std::cos(a), 20 * std::sin(a)};
         }},
        {"one line", 500,
         [](std::size_t i) {
             return PlanePoint{0.5F * static_cast<float>(i), -0.25F * i};
         }},
        {"few places, many repeats", 2000,
         [](std::size_t i) {
             return PlanePoint{static_cast<float>(i % 5), static_cast<float>(i % 3)};
         }},
        {"a square's corners and edges", 400,
         [](std::size_t i) {
             const float t = static_cast<float>(i % 100) / 10;
             return i < 200 ? PlanePoint{t, i < 100 ? 0.0F : 10.0F} : PlanePoint{i < 300 ? 0.0F : 10.0F, t};
         }},
    };
    for (const Case& c : cases) {
        std::vector<PlanePoint> points;
        for (std::size_t i = 0; i < c.count; ++i) {
            points.push_back(c.point(i));
        }
        EXPECT_EQ(everyPair(points), LargestSquaredDistance(points)) << c.name;
    }
}

} // namespace
