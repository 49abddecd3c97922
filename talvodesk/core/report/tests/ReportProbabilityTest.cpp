#include "talvodesk/core/analysis/chart/ProbabilityGraph.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/report/ReportSections.h"
#include "talvodesk/core/testing/RecordingFrame.h"

#include "platform/gfx/DrawContextQt.h"

#include <QImage>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvodesk {
namespace {

using platform::gfx::Rect;

/// A printer's page of `widthMm` x `heightMm` at 600 dots per inch that prints to the paper's edges.
PrinterPage paperOf(double widthMm, double heightMm)
{
    const auto dots = [](double millimetres) { return static_cast<LONG>(millimetres * 600 / 25.4); };
    return {dots(widthMm), dots(heightMm), 0, 0, 0, 0, {600, 600}};
}

TEST(ReportProbabilityTest, NoLabelOfEitherProbabilityChartMeetsATitleOnAnyPaper)
{
    testsupport::RecordingFrame frame;
    CTalvoData data;
    COptions options;
    ProbabilityGraph graph(ChartServices{data, options, nullptr, &frame});
    // The texts measured as the printer prints them.
    QImage image(1, 1, QImage::Format_RGB32);
    image.setDotsPerMeterX(23622); // 600 dots per inch
    image.setDotsPerMeterY(23622);
    platform::gfx::DrawContextQt printer(image);
    const ReportFonts fonts = MakeReportFonts(u"Arial", 600);
    const ChartFonts printFonts{fonts.bold, fonts.normal, fonts.vertical};

    struct Case {
        const char* name;
        double width;
        double height;
    };
    // The lower chart is a fifth of the layout's width high, less a little: 23 mm on A5, 34 mm on A4.
    for (const Case& c :
         {Case{"A5", 148, 210}, Case{"A5 landscape", 210, 148}, Case{"A4", 210, 297}, Case{"A4 landscape", 297, 210},
          Case{"Letter", 215.9, 279.4}, Case{"A3", 297, 420}, Case{"A3 landscape", 420, 297}}) {
        SCOPED_TRACE(c.name);
        Printout printout;
        ReportBuilder builder(printer, paperOf(c.width, c.height), PageMargins{}, fonts,
                              {u"TALVO Shooter Training System", u"Ann", u"", u"Air Rifle"}, printout);
        builder.begin();
        const ReportChartSection section{ReportChart::ProbabilityUpper, u"Probability graph\nProbability"};
        std::vector<std::pair<ReportChart, Rect>> drawn;
        AddChartSections(builder, {&section, 1}, &printer.textMeasure(),
                         [&drawn](ReportChart chart, platform::gfx::DrawContext&, const Rect& rect) {
                             drawn.emplace_back(chart, rect);
                             return true;
                         });
        ASSERT_EQ(2U, drawn.size());
        for (const auto& [chart, rect] : drawn) {
            const CChartImpl& impl = chart == ReportChart::ProbabilityUpper ? graph.probability() : graph.result();
            const ChartTextBoxes texts =
                impl.TextBoxes(printer, rect, {}, /*legend=*/false, /*print=*/true, &printFonts);
            ASSERT_FALSE(texts.xTitle.isEmpty());
            ASSERT_FALSE(texts.yTitle.isEmpty());
            ASSERT_FALSE(texts.labels.empty());
            for (const Rect& label : texts.labels) {
                for (const Rect& title : {texts.xTitle, texts.yTitle}) {
                    const bool meets = label.left < title.right && title.left < label.right &&
                                       label.top < title.bottom && title.top < label.bottom;
                    EXPECT_FALSE(meets) << (chart == ReportChart::ProbabilityUpper ? "upper" : "lower")
                                        << " chart, label (" << label.left << ", " << label.top << ", " << label.right
                                        << ", " << label.bottom << ") meets title (" << title.left << ", " << title.top
                                        << ", " << title.right << ", " << title.bottom << ")";
                }
            }
        }
    }
}

} // namespace
} // namespace talvodesk
