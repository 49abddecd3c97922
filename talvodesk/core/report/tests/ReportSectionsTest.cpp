#include "talvodesk/core/report/ReportSections.h"

#include "talvodesk/core/analysis/InfoSummary.h"

#include "talvodesk/core/testing/ReportBuilderFixture.h"

#include "talvodata/tests/support/Events.h"
#include "talvodata/tests/support/ShotBuilder.h"

#include "platform/gfx/TextFormat.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace talvodesk;
using platform::gfx::Rect;

namespace {

class ReportSectionsTest : public testsupport::ReportBuilderFixture {
protected:
    ReportSectionsTest()
    {
        ShotListColumnTable().reset();
        builder.begin();
    }

    template <typename Cell> const Cell& cell(std::size_t page, std::size_t index)
    {
        return dynamic_cast<const Cell&>(*printout.at(page).cells.at(index));
    }
};

TEST_F(ReportSectionsTest, GraphsAreRecordedInTheirSizeWithProbabilitySharingOneHeight)
{
    struct Drawn {
        ReportChart chart;
        Rect rect;
    };
    std::vector<Drawn> drawn;
    const ReportChartSection sections[] = {{ReportChart::Coordination, u"Shows it\nCoordination"},
                                           {ReportChart::ProbabilityUpper, u"Shows it\nProbability"},
                                           {ReportChart::Speed, u"Shows it\nSpeed"}};
    AddChartSections(builder, sections, &measure,
                     [&](ReportChart chart, platform::gfx::DrawContext& context, const Rect& rect) {
                         drawn.push_back({chart, rect});
                         context.fillRect(rect, 0x00FF00);
                         return chart != ReportChart::Speed; // a chart that draws nothing is left out
                     });
    // H = 4016 / 2 = 2008. Probability shares H less half a gap: 1958, of which 3/5 is 1174 and the rest 784.
    ASSERT_EQ(4u, drawn.size());
    EXPECT_EQ((Rect{0, 0, 4016, 2008}), drawn[0].rect);
    EXPECT_EQ(ReportChart::ProbabilityUpper, drawn[1].chart);
    EXPECT_EQ((Rect{0, 0, 4016, 1174}), drawn[1].rect);
    EXPECT_EQ(ReportChart::ProbabilityLower, drawn[2].chart);
    EXPECT_EQ((Rect{0, 0, 4016, 784}), drawn[2].rect);

    // Page 1: header (6 cells), caption, chart, caption, upper and lower chart. The caption keeps the empty line.
    ASSERT_EQ(2u, printout.size());
    ASSERT_EQ(11u, printout[0].cells.size());
    EXPECT_EQ(u"\nCoordination", (cell<CPrintoutTextCell>(0, 6).text));
    EXPECT_EQ((Rect{372, 422, 492, 462}), (cell<CPrintoutTextCell>(0, 6).rect));
    const auto& coordination = cell<CPrintoutMetaCell>(0, 7);
    EXPECT_EQ((Rect{372, 462, 4388, 2470}), coordination.rect);
    // The frame in HIMETRIC: 4016 x 2540 / 600 = 17001.07, 2008 x 2540 / 600 = 8500.53.
    ASSERT_TRUE(coordination.metafile);
    EXPECT_EQ((Rect{0, 0, 17001, 8501}), coordination.metafile->frame());
    EXPECT_EQ((Rect{0, 0, 4016, 2008}), coordination.metafile->bounds());
    // A gap below the chart, then the caption; half a gap between the two probability charts.
    EXPECT_EQ((Rect{372, 2570, 482, 2610}), (cell<CPrintoutTextCell>(0, 8).rect));
    EXPECT_EQ((Rect{372, 2610, 4388, 3784}), (cell<CPrintoutMetaCell>(0, 9).rect));
    EXPECT_EQ((Rect{0, 0, 17001, 4970}), cell<CPrintoutMetaCell>(0, 9).metafile->frame());
    EXPECT_EQ((Rect{372, 3834, 4388, 4618}), (cell<CPrintoutMetaCell>(0, 10).rect));
    EXPECT_EQ((Rect{0, 0, 17001, 3319}), cell<CPrintoutMetaCell>(0, 10).metafile->frame());
    // 4718 leaves 1724 below, less than H and a bold line: Speed starts page 2, its caption only.
    ASSERT_EQ(7u, printout[1].cells.size());
    EXPECT_EQ((Rect{372, 422, 422, 462}), (cell<CPrintoutTextCell>(1, 6).rect));
    EXPECT_EQ(422 + 40 + 2008 + 100, builder.layout().top);
}

/// A serie whose rows hold `shots` shots, with the texts of the table below.
std::unique_ptr<CSerie> serie(IEventParams* event, int shots, bool visible, const std::u16string& wide = {})
{
    auto made = std::make_unique<CSerie>();
    made->visible = visible;
    for (std::size_t column = 0; column < kShotListColumns; ++column) {
        made->header.cells[column].text = column == 0 ? u"#" : u"Hd";
    }
    for (int index = 0; index < shots; ++index) {
        CStatisticsRow& row = made->rows[static_cast<std::size_t>(index)];
        row.shot = talvodata::testing::ShotBuilder(event).result(1.0F).build();
        for (std::size_t column = 0; column < kShotListColumns; ++column) {
            row.cells[column].text = column == 0 ? u"10" : column == 1 ? u"10.5" : u"1";
        }
        row.values.areaIndex = 2;
        row.values.nearestArea = 2;
    }
    made->total.cells[1].text = u"104.9";
    made->total.cells[3].text = wide;
    return made;
}

class SeriesSectionTest : public ReportSectionsTest {
protected:
    SeriesSectionTest()
    {
        // The hidden serie's wide text does not widen its column; the group's total does.
        group.series.push_back(serie(event.get(), 3, true));
        group.series.push_back(serie(event.get(), 10, false, u"XXXXXXXXXXXXXXXX"));
        group.series.push_back(serie(event.get(), 2, true));
        group.total.cells[2].text = u"12345678";
    }

    platform::com::ComPtr<IEventParams> event = talvodata::testsupport::shippedEvent("AR10");
    CGroup group;
};

TEST_F(SeriesSectionTest, TheTableIsMeasuredOverTheShownSeriesAndThePictureFitsBesideIt)
{
    struct Case {
        LONG layoutWidth;
        bool biathlon;
        float formWidth;
        float formHeight;
        LONG height;
        LONG pictureWidth;
    };
    // Columns: 2, 5 and 8 characters and nine of 2, each plus two pads of 33: 86 + 116 + 146 + 9 x 86 = 1122.
    for (const Case& c : {
             Case{4016, false, 170, 170, 330, 330}, // ten rows and the header: 11 x 30
             Case{4016, true, 850, 200, 180, 765},  // five rows; 180 x 850 / 200
             Case{1500, false, 170, 170, 330, 278}, // narrowed to 1500 - 1122 - 100
             Case{1200, false, 170, 170, 330, -22}, // no room left for a picture
         }) {
        SCOPED_TRACE(c.layoutWidth);
        const SeriesTable table = MeasureSeriesTable(printer, group, fonts, builder.units(), c.layoutWidth, c.biathlon,
                                                     c.formWidth, c.formHeight);
        EXPECT_EQ((std::array<LONG, kShotListColumns>{86, 116, 146, 86, 86, 86, 86, 86, 86, 86, 86, 86}),
                  table.columns);
        EXPECT_EQ(1122, table.width);
        EXPECT_EQ(30, table.normalLine);
        EXPECT_EQ(30, table.boldLine);
        EXPECT_EQ(c.height, table.height);
        EXPECT_EQ(c.pictureWidth, table.pictureWidth);
    }
}

TEST_F(SeriesSectionTest, EachShownSerieIsABlockOnThePageItFitsAndTheLastCarriesTheGroupTotal)
{
    const SeriesTable table = MeasureSeriesTable(printer, group, fonts, builder.units(), 4016, false, 170, 170);
    // The first block (1 + 2 x 30 + 330 = 398 with the one-point rule) fits exactly above the page's bottom; the
    // last, with the group's total (428), starts page 2.
    builder.layout().top = 6442 - 398;
    std::vector<std::pair<const CSerie*, Rect>> pictures;
    ASSERT_TRUE(AddSeriesSection(builder, group, table, false, [&](const CSerie& serie, const Rect& rect) {
        pictures.emplace_back(&serie, rect);
        return true;
    }));
    ASSERT_EQ(2u, printout.size());
    ASSERT_EQ(2u, pictures.size());
    EXPECT_EQ(group.series[0].get(), pictures[0].first);
    EXPECT_EQ(group.series[2].get(), pictures[1].first);

    // Page 1 after its six header cells: the empty spacer (two pads wide, two half points high), the picture below it,
    // the table a gap to its right: header, three shot rows, the rule under the table's height, the total a point
    // lower.
    const LONG top = 6442 - 398;
    EXPECT_EQ((Rect{372, top, 438, top + 8}), (cell<CPrintoutTextCell>(0, 6).rect));
    EXPECT_EQ((Rect{372, top + 8, 702, top + 338}), pictures[0].second);
    const LONG left = 372 + 330 + 100;
    const auto& number = cell<CPrintoutTextCell>(0, 7);
    EXPECT_EQ(u"#", number.text);
    EXPECT_EQ((Rect{left, top + 8, left + 86, top + 36}), number.rect);
    EXPECT_EQ(platform::gfx::DT_NOCLIP | platform::gfx::DT_LEFT, number.format);
    EXPECT_EQ(33, number.horizontalMargin);
    EXPECT_EQ(4, number.verticalMargin);
    const auto& result = cell<CPrintoutTextCell>(0, 8);
    EXPECT_EQ((Rect{left + 86, top + 8, left + 202, top + 36}), result.rect);
    EXPECT_EQ(platform::gfx::DT_NOCLIP | platform::gfx::DT_RIGHT, result.format);
    // Shot rows every 30 from below the header; 12 cells a row.
    EXPECT_EQ(u"10", (cell<CPrintoutTextCell>(0, 7 + 36).text));
    EXPECT_EQ(top + 8 + 30 + 60, (cell<CPrintoutTextCell>(0, 7 + 36).rect.top));
    const auto& rule = cell<CPrintoutBarCell>(0, 7 + 48);
    EXPECT_EQ((Rect{left + 86 + 33, top + 338, left + 1122 - 33, top + 346}), rule.rect);
    EXPECT_EQ(0u, rule.color);
    EXPECT_EQ(u"104.9", (cell<CPrintoutTextCell>(0, 7 + 48 + 2).text));
    EXPECT_EQ(top + 346, (cell<CPrintoutTextCell>(0, 7 + 48 + 2).rect.top));
    EXPECT_EQ(7u + 48 + 1 + 12, printout[0].cells.size());

    // Page 2: the last block with the group's total one bold line under the serie's; the layout below the block.
    EXPECT_EQ((Rect{372, 430, 702, 760}), pictures[1].second);
    ASSERT_EQ(6u + 1 + 12 * 3 + 1 + 12 * 2, printout[1].cells.size());
    EXPECT_EQ(u"12345678", (cell<CPrintoutTextCell>(1, 6 + 1 + 36 + 1 + 12 + 2).text));
    EXPECT_EQ(768 + 30, (cell<CPrintoutTextCell>(1, 6 + 1 + 36 + 1 + 12 + 2).rect.top));
    EXPECT_EQ(422 + 428, builder.layout().top);
}

TEST_F(SeriesSectionTest, ATableTooWideForAPictureStandsAloneAndBiathlonResultsArePlates)
{
    group.series.resize(1);
    const SeriesTable table = MeasureSeriesTable(printer, group, fonts, builder.units(), 1200, true, 850, 200);
    ASSERT_EQ(-22, table.pictureWidth);
    bool asked = false;
    ASSERT_TRUE(AddSeriesSection(builder, group, table, true, [&](const CSerie&, const Rect&) {
        asked = true;
        return false;
    }));
    EXPECT_FALSE(asked);
    // The table a gap from the left; a shot row's result is the plate, as high as the row's number.
    EXPECT_EQ(472, (cell<CPrintoutTextCell>(0, 7).rect.left));
    const auto& plate = cell<CPrintoutMetaCell>(0, 7 + 12 + 1);
    EXPECT_EQ((Rect{472 + 86, 460, 472 + 202, 488}), plate.rect);
    ASSERT_TRUE(plate.metafile);
    // The header's and the total's results stay text.
    EXPECT_EQ(u"Hd", (cell<CPrintoutTextCell>(0, 8).text));
    // One serie: no group total (the header row, three shot rows, the rule and the total row).
    EXPECT_EQ(7u + 12 * 4 + 1 + 12, printout[0].cells.size());
}

TEST(ReportGeneralInformationTest, RowsFollowTheEventAndTheCoincidedGroupSetting)
{
    std::array<std::u16string, 20> titles;
    for (std::size_t i = 0; i < titles.size(); ++i) {
        titles[i] = std::u16string(kInfoTitleIds[i]) + u":";
    }
    InfoSummary summary;
    summary.controlInterval = 1.5F;
    SideSummary& side = summary.sides[0];
    side.shotCount = 60;
    side.integerResult = 545;
    side.fractionalResult = 561.3F;
    side.averageResult = 9.355F;
    side.coincidedResult = 563.0F;
    side.totalTime = (3600.0 + 120 + 3) / 86400;
    side.averageTime = 62.0 / 86400;
    side.shortestInterval = 50.0 / 86400;
    side.longestInterval = 64.0 / 86400;
    side.intervalStability = 87;
    side.groupSize = 12.34F;
    side.traceLength = 7.24F;
    side.traceLengthX = 6.0F;
    side.traceLengthY = 4.0F;
    side.groupEllipse = 1.5F;
    side.traceEllipse = 0.25F;
    InfoPageFormats formats;
    formats.millimetres = u"%-3.1f mm";
    formats.seconds = u"%-5.1f sec";

    struct Case {
        bool biathlon;
        bool centreGroup;
        std::vector<std::u16string> titles;
    };
    const std::vector<std::u16string> all{u"idShotCountTitle:",
                                          u"idResultTitle:",
                                          u"idResultIntCoinsidedTitle:",
                                          u"idTotalShootingTimeTitle:",
                                          u"idAvgTimePerShotTitle:",
                                          u"idStabilityOfTimeIntervalTitle:",
                                          u"idDiametralDispersionTitle:",
                                          u"idStabilityOfAimingTitle:",
                                          u"idAccuracyOfShootingTitle:",
                                          u"idAvgSteadinessTitle:",
                                          u"idAvgLenTitle:",
                                          u"idEllipticalFactorTitle:",
                                          u"idControlIntervalTitle:"};
    std::vector<std::u16string> centred = all;
    centred.erase(centred.begin() + 2);
    const std::vector<std::u16string> biathlon{all[0], all[3], all[4], all[5], all[10], all[12]};
    for (const Case& c : {Case{false, false, all}, Case{false, true, centred}, Case{true, false, biathlon}}) {
        summary.biathlon = c.biathlon;
        formats.centreGroup = c.centreGroup;
        const ReportRows rows = ReportGeneralInformation(summary, titles, formats);
        std::vector<std::u16string> shown;
        for (const auto& row : rows) {
            shown.push_back(row.first);
        }
        EXPECT_EQ(c.titles, shown);
        const auto average = std::find_if(rows.begin(), rows.end(), [](const auto& row) {
                                 return row.first == u"idAvgTimePerShotTitle:";
                             })->second;
        EXPECT_EQ(c.biathlon ? u"00:01:02" : u"00:01:02 (00:00:50, 00:01:04)", average);
    }
    summary.biathlon = false;
    formats.centreGroup = false;
    const ReportRows rows = ReportGeneralInformation(summary, titles, formats);
    EXPECT_EQ(u"60", rows[0].second);
    EXPECT_EQ(u"idResultIntTitle:545\nidResultFractionalTitle:561.3\nidResultAverageTitle:9.4 ",
              rows[1].second); // "%-4.1f" pads
    EXPECT_EQ(u"563.0 (+1.7)", rows[2].second);
    EXPECT_EQ(u"01:02:03", rows[3].second);
    EXPECT_EQ(u"87%", rows[5].second);
    EXPECT_EQ(u"12.3 mm", rows[6].second);
    EXPECT_EQ(u"7.2 mm\nidAvgLenXTitle:6.0 mm\nidAvgLenYTitle:4.0 mm", rows[10].second);
    EXPECT_EQ(u"idEllipticalFactorGroupTitle:1.50\nidEllipticalFactorTraceTitle:0.25", rows[11].second);
    EXPECT_EQ(u"1.5   sec", rows[12].second);
}

} // namespace
