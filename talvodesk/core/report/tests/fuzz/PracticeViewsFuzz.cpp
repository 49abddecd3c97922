#include "talvodesk/core/analysis/InfoPage.h"
#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/analysis/PageElements.h"
#include "talvodesk/core/analysis/chart/CoordinationGraph.h"
#include "talvodesk/core/analysis/chart/DistanceGraph.h"
#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"
#include "talvodesk/core/analysis/chart/SpeedGraph.h"
#include "talvodesk/core/analysis/chart/TimeIntervalsGraph.h"
#include "talvodesk/core/analysis/chart/TimeShiftGraph.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/report/PrintTarget.h"
#include "talvodesk/core/report/ReportLayout.h"
#include "talvodesk/core/report/ReportSections.h"

#include "talvodata/tests/fuzz/FuzzSetup.h"
#include "talvodata/tests/support/DocumentFiles.h"

#include "talvodata/TalvoDocument.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/tests/support/FixedMeasure.h"

#include <array>
#include <cstdint>
#include <vector>

// Fuzz entry of what opening a practice computes: the practice as the document wrapper opens it, every chart's
// figures drawn for print, the info page's summary and texts, the report's general information and graph pages,
// and the print-target page of its event. The first byte chooses what the rest is, as for the document entry: a
// whole file, or the stream "Contents" of a practice.
namespace {

using namespace talvodesk;
using platform::com::ComPtr;

const PrinterPage kA4{4960, 7016, 100, 100, 100, 100, {600, 600}};

/// The report's graph pages from the charts in ReportChart order (probability's two last).
void drawCharts(ReportBuilder& builder, const std::array<CChartImpl*, 6>& charts)
{
    const ReportChartSection sections[] = {{ReportChart::Coordination, u"\nCoordination"},
                                           {ReportChart::TimeShift, u"\nTime shift"},
                                           {ReportChart::Speed, u"\nSpeed"},
                                           {ReportChart::TimeIntervals, u"\nTime intervals"},
                                           {ReportChart::ProbabilityUpper, u"\nProbability"}};
    AddChartSections(builder, sections, nullptr,
                     [&](ReportChart chart, platform::gfx::DrawContext& context, const platform::gfx::Rect& rect) {
                         charts[static_cast<std::size_t>(chart)]->Draw(context, rect, {}, /*legend=*/true,
                                                                       /*print=*/true);
                         return true;
                     });
}

void printTarget(CTalvoData& data)
{
    ComPtr<IEventParams> event;
    if (!data.GetEvent(event) || !event) {
        return;
    }
    platform::gfx::testing::FixedMeasure measure;
    platform::gfx::PictureRecorder printer{{600, 600}, &measure};
    PrintTargetChoice choice;
    choice.event = event.get();
    Printout printout;
    (void)ComposeTargetPrintout(printer, kA4, choice, printout); // A face that cannot be drawn leaves no page.
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::filesystem::path& folder = talvodata::fuzz::scratchFolder();
    if (size == 0) {
        return 0;
    }
    const std::filesystem::path path = folder / "practice.talvo";
    const std::vector<std::uint8_t> rest(data + 1, data + size);
    if (data[0] & 1) {
        talvodata::testsupport::writeDocumentFile(path, talvodata::CLSID_TalvoDocument, rest);
    } else {
        talvodata::testsupport::writeFileBytes(path, rest);
    }
    CTalvoData document;
    if (!document.Open(platform::com::Bstr(path.string()).get())) {
        return 0;
    }
    COptions options;
    const ChartServices services{document, options, nullptr, nullptr};
    CoordinationGraph coordination(services);
    TimeShiftGraph timeShift(services);
    SpeedGraph speed(services);
    TimeIntervalsGraph intervals(services);
    ProbabilityGraph probability(services);
    DistanceGraph distance(services);
    (void)coordination.Recalculate(CoordinationGraph::kAllParts);
    (void)timeShift.Recalculate(TimeShiftGraph::kAllParts, /*fractionMode=*/false);
    (void)speed.Recalculate(SpeedGraph::kAllParts);
    intervals.Recalculate();
    probability.Recalculate(/*fractionMode=*/true);
    distance.Recalculate();

    InfoSummary summary;
    ComputeSummary(document, summary, /*documentPart=*/true, /*modelPart=*/false);
    PageElements page;
    DeclareInfoPage(page, [](std::uint32_t) { return u"title"; });
    InfoPageFormats formats;
    formats.millimetres = u"%-3.1f mm";
    formats.seconds = u"%-5.1f sec";
    (void)FillInfoPageTexts(page, summary, formats);

    platform::gfx::testing::FixedMeasure measure;
    platform::gfx::PictureRecorder printer{{600, 600}, &measure};
    Printout printout;
    const ReportFonts fonts = MakeReportFonts(u"Arial", 600);
    ReportBuilder builder{
        printer, kA4, PageMargins{}, fonts, {u"TALVO Shooter Training System", u"Ann", u"n/a", u"Event"}, printout};
    builder.begin();
    std::array<std::u16string, 20> titles;
    titles.fill(u"Title");
    for (const auto& [title, value] : ReportGeneralInformation(summary, titles, formats)) {
        builder.addTitleValueRow(title, value);
    }
    drawCharts(builder, {&coordination.chart(), &timeShift.chart(), &speed.shots(), &intervals.chart(),
                         &probability.probability(), &probability.result()});
    // The views that print nothing draw on the screen.
    for (const CChartImpl* chart : {&speed.currentShot(), &distance.distance(), &distance.displacement()}) {
        chart->Draw(printer, {0, 0, 2000, 1000}, {}, /*legend=*/true, /*print=*/false);
    }
    printTarget(document);
    return 0;
}
