#pragma once

#include "talvodesk/core/report/PrintTarget.h"
#include "talvodesk/core/report/Printout.h"

#include "platform/gfx/DrawContextQt.h"

#include <QImage>
#include <QRect>
#include <QString>

#include <optional>

class QPrinter;

namespace talvodesk {

// Printing and previewing a printout through Qt Print Support: one layout, drawn on paper, into a PDF file or into
// a preview's page image. Owner thread only.

/// A context that measures text as the printer will draw it, without starting a print job.
class PrinterMeasure {
public:
    explicit PrinterMeasure(const PrinterPage& page);
    PrinterMeasure(const PrinterMeasure&) = delete;
    PrinterMeasure& operator=(const PrinterMeasure&) = delete;

    platform::gfx::DrawContextQt& context() { return *m_context; }

private:
    QImage m_image;
    std::optional<platform::gfx::DrawContextQt> m_context;
};

/// The printer's paper and the offsets of its printable area on each side in its device units, and its resolution.
PrinterPage PrinterPageOf(const QPrinter& printer);
/// Narrows the printer's own margins to what it cannot print on: the user's margins are the layout's, which adds
/// only the part of each beyond the printer's.
void UsePrintableArea(QPrinter& printer);

/// Prints pages `from` to `to` (zero-based, inclusive, kept inside the printout) as one job named `documentName`.
/// A PDF file is written beside its place and put there only when every write and the close succeeded, so a failed
/// print leaves no file. False when the job cannot be started or fails.
bool PrintPrintout(const Printout& printout, QPrinter& printer, const QString& documentName, int from, int to);

/// Where a page of `page`'s proportions sits, fitted into `area` less 10 pixels on each side (never inverted).
QRect PreviewPageRect(const QRect& area, const PrinterPage& page);

/// Paints a preview into `image`: the area outside the page in the button-shadow colour, the paper white and the
/// printout's page `number` on it, scaled from the printer's units. A page the printout lacks leaves the paper blank.
void PaintPreview(QImage& image, const Printout& printout, int number, const PrinterPage& page);

} // namespace talvodesk
