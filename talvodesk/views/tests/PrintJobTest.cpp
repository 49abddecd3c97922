#include "talvodesk/views/PrintJob.h"

#include <QImage>

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

} // namespace
