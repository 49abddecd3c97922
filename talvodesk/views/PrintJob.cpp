#include "talvodesk/views/PrintJob.h"

#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"

#include <QPageLayout>
#include <QPdfWriter>
#include <QPrinter>
#include <QSaveFile>

#include <algorithm>
#include <cmath>

namespace talvodesk {

namespace {

constexpr int kPreviewMargin = 10;

} // namespace

PrinterMeasure::PrinterMeasure(const PrinterPage& page) : m_image(1, 1, QImage::Format_RGB32)
{
    // The same pixel fonts on an image of the printer's resolution measure as they print.
    constexpr double kInchesPerMetre = 1 / 0.0254;
    m_image.setDotsPerMeterX(static_cast<int>(std::lround(page.dpi.x * kInchesPerMetre)));
    m_image.setDotsPerMeterY(static_cast<int>(std::lround(page.dpi.y * kInchesPerMetre)));
    m_context.emplace(m_image);
}

PrinterPage PrinterPageOf(const QPrinter& printer)
{
    const int dpi = printer.resolution();
    const QRect paper = printer.pageLayout().fullRectPixels(dpi);
    const QRect printable = printer.pageLayout().paintRectPixels(dpi);
    return {paper.width(),
            paper.height(),
            printable.left(),
            printable.top(),
            paper.width() - printable.left() - printable.width(),
            paper.height() - printable.top() - printable.height(),
            {printer.logicalDpiX(), printer.logicalDpiY()}};
}

void UsePrintableArea(QPrinter& printer)
{
    const QPageLayout layout = printer.pageLayout();
    (void)printer.setPageMargins(layout.minimumMargins(), layout.units()); // the minimum is always accepted
}

namespace {

/// Draws the pages on `device`, calling `newPage` between them; false when a page cannot be begun.
template <typename NewPage>
bool drawPages(const Printout& printout, QPaintDevice& device, int from, int to, NewPage newPage)
{
    platform::gfx::DrawContextQt context(device);
    for (int number = from; number <= to; ++number) {
        if (number > from && !newPage()) {
            return false;
        }
        DrawPrintoutPage(printout[static_cast<std::size_t>(number)], context);
    }
    return true;
}

/// Passes every write on to a file and remembers one that did not go through whole: a write cut short by a full
/// disk is no error to the file.
class CheckedWrites final : public QIODevice {
public:
    explicit CheckedWrites(QIODevice& file) : m_file(file) { open(QIODevice::WriteOnly); }
    bool failed() const { return m_failed; }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 length) override
    {
        const qint64 written = m_file.write(data, length);
        m_failed = m_failed || written != length;
        return written;
    }

private:
    QIODevice& m_file;
    bool m_failed = false;
};

bool printToPdf(const Printout& printout, const QPrinter& printer, const QString& documentName, int from, int to)
{
    QSaveFile file(printer.outputFileName());
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    CheckedWrites checked(file);
    {
        QPdfWriter writer(&checked);
        writer.setResolution(printer.resolution());
        writer.setPageLayout(printer.pageLayout());
        writer.setTitle(documentName);
        writer.setCreator(printer.creator());
        if (!drawPages(printout, writer, from, to, [&writer] { return writer.newPage(); })) {
            file.cancelWriting();
        }
    } // the writer ends the document into the file here
    // A write the file's buffer failed to pass on is left in the file's error, not in the commit's answer.
    if (checked.failed() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
    }
    return file.commit();
}

} // namespace

bool PrintPrintout(const Printout& printout, QPrinter& printer, const QString& documentName, int from, int to)
{
    from = std::max(from, 0);
    to = std::min(to, static_cast<int>(printout.size()) - 1);
    if (from > to) {
        return false;
    }
    if (printer.outputFormat() == QPrinter::PdfFormat) {
        return printToPdf(printout, printer, documentName, from, to);
    }
    printer.setDocName(documentName);
    return drawPages(printout, printer, from, to, [&printer] { return printer.newPage(); }) &&
           printer.printerState() != QPrinter::Error;
}

QRect PreviewPageRect(const QRect& area, const PrinterPage& page)
{
    const QRect inner = area.adjusted(kPreviewMargin, kPreviewMargin, -kPreviewMargin, -kPreviewMargin);
    if (inner.width() <= 0 || inner.height() <= 0 || page.physicalWidth <= 0 || page.physicalHeight <= 0) {
        return {inner.topLeft(), QSize(0, 0)};
    }
    // The page's proportions, whichever side limits it.
    const auto byHeight =
        static_cast<int>(static_cast<std::int64_t>(inner.height()) * page.physicalWidth / page.physicalHeight);
    const QSize size = byHeight <= inner.width()
                           ? QSize(byHeight, inner.height())
                           : QSize(inner.width(), static_cast<int>(static_cast<std::int64_t>(inner.width()) *
                                                                   page.physicalHeight / page.physicalWidth));
    return {inner.left() + (inner.width() - size.width()) / 2, inner.top() + (inner.height() - size.height()) / 2,
            size.width(), size.height()};
}

void PaintPreview(QImage& image, const Printout& printout, int number, const PrinterPage& page)
{
    const QRect pageRect = PreviewPageRect(image.rect(), page);
    platform::gfx::DrawContextQt context(image);
    const platform::gfx::Rect whole{0, 0, image.width(), image.height()};
    context.fillRect(whole, platform::gfx::sysColor(platform::gfx::COLOR_BTNSHADOW));
    const platform::gfx::Rect paper{pageRect.left(), pageRect.top(), pageRect.right() + 1, pageRect.bottom() + 1};
    context.fillRect(paper, 0xFFFFFF);
    if (number < 0 || number >= static_cast<int>(printout.size()) || paper.isEmpty()) {
        return;
    }
    // The page is drawn in the printer's units, scaled onto the paper, so its text keeps the lines it prints with.
    const double scale = static_cast<double>(pageRect.width()) / page.physicalWidth;
    context.setScale(scale, QPointF(pageRect.left() + page.offsetX * scale, pageRect.top() + page.offsetY * scale));
    context.setClipRect(
        {-page.offsetX, -page.offsetY, page.physicalWidth - page.offsetX, page.physicalHeight - page.offsetY});
    DrawPrintoutPage(printout[static_cast<std::size_t>(number)], context);
}

} // namespace talvodesk
