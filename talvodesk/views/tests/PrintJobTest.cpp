#include "talvodesk/views/PrintJob.h"

#include <QImage>
#include <QPrinter>

#include <filesystem>

#include <gtest/gtest.h>

using namespace talvodesk;

namespace {

TEST(PrintJobTest, APreviewShrinksThePageWithoutBreakingItsLinesAnew)
{
    // A4 at 1200 dots per inch, and a 14-point heading measured to fit its line exactly there.
    const PrinterPage a4{9921, 14033, 200, 200, 200, 200, {1200, 1200}};
    Printout printout(1);
    auto& heading = printout[0].add<CPrintoutTextCell>();
    heading.font = platform::gfx::Font{u"Arial", -233, platform::gfx::FW_BOLD};
    heading.text = u"Air Rifle 10 Meters (4.5 mm)";
    PrinterMeasure measure(a4);
    const platform::gfx::Size size = heading.Measure(measure.context(), 0);
    heading.rect = {600, 600, 600 + size.cx, 600 + size.cy};

    QImage image(460, 640, QImage::Format_RGB32);
    PaintPreview(image, printout, 0, a4);
    const QRect paper = PreviewPageRect(image.rect(), a4);
    const double scale = static_cast<double>(paper.width()) / a4.physicalWidth;
    // Every dark pixel lies on the heading's one line; a line broken anew would put words below it.
    const int lineBottom = paper.top() + static_cast<int>((a4.offsetY + heading.rect.bottom) * scale) + 1;
    int dark = 0;
    for (int y = paper.top(); y <= paper.bottom(); ++y) {
        for (int x = paper.left(); x <= paper.right(); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                ++dark;
                ASSERT_LE(y, lineBottom) << "at x " << x;
            }
        }
    }
    EXPECT_GT(dark, 0);
}

TEST(PrintJobTest, APreviewKeepsEveryFrameAndRuleAtLeastOnePixelAtAnyScale)
{
    // A square page at 600 dots per inch with a one-pixel frame and a rule one point high.
    const PrinterPage page{2000, 2000, 0, 0, 0, 0, {600, 600}};
    Printout printout(1);
    printout[0].add<CPrintoutRectangleCell>().rect = {200, 300, 1800, 1700};
    auto& rule = printout[0].add<CPrintoutBarCell>();
    rule.color = 0;
    rule.rect = {200, 1000, 1800, 1008};
    for (const double scale : {0.5, 0.25, 0.1, 0.04}) {
        SCOPED_TRACE(scale);
        const int side = static_cast<int>(page.physicalWidth * scale) + 20;
        QImage image(side, side, QImage::Format_RGB32);
        PaintPreview(image, printout, 0, page);
        const QRect paper = PreviewPageRect(image.rect(), page);
        ASSERT_NEAR(scale, static_cast<double>(paper.width()) / page.physicalWidth, 0.001);
        const auto at = [scale](int printerPixel, int origin) {
            return origin + static_cast<int>(printerPixel * scale);
        };
        // The darkest line near where each side maps must be dark from end to end.
        const auto darkest = [&image](bool row, int near, int from, int to) {
            double best = 0;
            for (int line = near - 1; line <= near + 1; ++line) {
                int dark = 0;
                for (int i = from; i <= to; ++i) {
                    dark += qGray(row ? image.pixel(i, line) : image.pixel(line, i)) < 128 ? 1 : 0;
                }
                best = std::max(best, static_cast<double>(dark) / (to - from + 1));
            }
            return best;
        };
        const int left = at(200, paper.left());
        const int right = at(1800, paper.left());
        const int top = at(300, paper.top());
        const int bottom = at(1700, paper.top());
        EXPECT_GT(darkest(true, top, left + 1, right - 2), 0.95) << "top";
        EXPECT_GT(darkest(true, bottom, left + 1, right - 2), 0.95) << "bottom";
        EXPECT_GT(darkest(false, left, top + 1, bottom - 2), 0.95) << "left";
        EXPECT_GT(darkest(false, right, top + 1, bottom - 2), 0.95) << "right";
        EXPECT_GT(darkest(true, at(1000, paper.top()), left + 1, right - 2), 0.95) << "rule";
    }
}

TEST(PrintJobTest, APdfThatCannotBeOpenedFailsTheJobAndLeavesNothing)
{
    const std::filesystem::path missing = std::filesystem::temp_directory_path() / "talvo-no-such-folder" / "a.pdf";
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(missing.string()));
    Printout printout(1);
    EXPECT_FALSE(PrintPrintout(printout, printer, QStringLiteral("Ann"), 0, 0));
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

} // namespace
