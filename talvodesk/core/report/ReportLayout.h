#pragma once

#include "talvodesk/core/report/PrintTarget.h"
#include "talvodesk/core/report/Printout.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IShotCollection.h"
#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <string>
#include <string_view>

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

// The pieces of the printed report and the one-shot page: page geometry in the printer's units, the five fonts, the
// layout units and a builder that fills pages top down, starting a new page with its header when one is full.
// Owner thread only.

/// Page margins in hundredths of a millimetre.
struct PageMargins {
    LONG left = 2000;
    LONG top = 1500;
    LONG right = 2000;
    LONG bottom = 1500;

    friend bool operator==(const PageMargins&, const PageMargins&) = default;
};

/// The layout rectangle from the printable origin: the printable page, with each margin moving its edge in only by
/// the part beyond the unprintable offset of its side.
platform::gfx::Rect ReportPageRect(const PrinterPage& page, const PageMargins& margins);

struct ReportFonts {
    platform::gfx::Font normal;
    platform::gfx::Font vertical;
    platform::gfx::Font bold;
    platform::gfx::Font heading;
    platform::gfx::Font header;
};
/// The report's fonts for a printer of `dpiY` lines per inch: 12-point normal, vertical and bold, a 14-point bold
/// heading in `face`, and a 12-point bold italic "Times New Roman" for the page header.
ReportFonts MakeReportFonts(std::u16string_view face, LONG dpiY);

struct ReportUnits {
    LONG gapX = 0; ///< 12 points
    LONG gapY = 0;
    LONG pad = 0;       ///< 4 points
    LONG halfPoint = 0; ///< half a point, truncated
    LONG onePoint = 0;
};
ReportUnits ReportUnitsFor(platform::gfx::Resolution dpi);
/// A line of `font` on the printer with half a point above and below.
LONG ReportLineHeight(platform::gfx::DrawContext& printer, const platform::gfx::Font& font, const ReportUnits& units);

/// The texts of every page header: the product line at the top right, then the practice's.
struct ReportHeaderTexts {
    std::u16string title;
    std::u16string shooter;
    std::u16string date;
    std::u16string event;
};

/// The chart sections in report order, with the string-table captions of their commands.
enum class ReportChart { Coordination, TimeShift, Speed, TimeIntervals, ProbabilityUpper, ProbabilityLower };

/// The half width and height in millimetres of the area printed around the target centre for `shots`: the half
/// form of a biathlon face; otherwise the square that holds every breach plus half a calibre, grown to the first
/// ring that holds it.
void CalcPrintTargetExtent(IEventParams& event, long eventCode, IShotCollection& shots, float& halfWidth,
                           float& halfHeight);

/// Fills a printout page by page. The layout rectangle's top moves down as content is added.
class ReportBuilder {
public:
    ReportBuilder(platform::gfx::DrawContext& printer, const PrinterPage& page, const PageMargins& margins,
                  const ReportFonts& fonts, ReportHeaderTexts header, Printout& printout);

    /// Empties the printout and starts page 1 with its header (and `extra` at the right of the event line).
    void begin(std::u16string_view extra = {});
    /// Appends a page with the next number and its header.
    void newPage();
    /// A bold title at the left and its value at the right of the 55 % column, on a new page when they do not fit.
    void addTitleValueRow(std::u16string_view title, std::u16string_view value);
    /// A text cell at `at` sized to its text within `widthLimit` (unlimited below 1).
    CPrintoutTextCell& addText(const platform::gfx::Font& font, std::u16string text, platform::gfx::Point at,
                               LONG widthLimit, UINT format = CPrintoutTextCell::kDefaultFormat);
    /// Starts a new page unless `height` fits below the top.
    void ensureRoom(LONG height);

    platform::gfx::Rect& layout() { return m_layout; }
    const ReportUnits& units() const { return m_units; }
    const ReportFonts& fonts() const { return m_fonts; }
    PrintoutPage& page() { return m_printout.back(); }
    platform::gfx::DrawContext& printer() { return m_printer; }

private:
    void addHeader(int number, std::u16string_view extra);

    platform::gfx::DrawContext& m_printer;
    platform::gfx::Rect m_pageRect;
    const ReportFonts& m_fonts;
    ReportHeaderTexts m_header;
    Printout& m_printout;
    ReportUnits m_units;
    platform::gfx::Rect m_layout;
    int m_nextPage = 2;
};

} // namespace talvodesk
