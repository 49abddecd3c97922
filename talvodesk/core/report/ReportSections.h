#pragma once

#include "talvodesk/core/analysis/InfoPage.h"
#include "talvodesk/core/analysis/SeriesCells.h"
#include "talvodesk/core/report/ReportLayout.h"

#include <array>
#include <functional>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace platform::gfx {
class TextMeasure;
}

namespace talvodesk {

struct InfoSummary;

// The report's sections that read the analysis views' state: the general information rows from the info view's
// summary and titles, and the series tables from the series view's match group. Owner thread only.

using ReportRows = std::vector<std::pair<std::u16string, std::u16string>>;

/// The general information as title and value rows: the practice's side of `summary`, titled by the info page's
/// title texts (in kInfoTitleIds order). The biathlon layout leaves out the rows it has no figure for, and the
/// coincided result is left out while the group is centred anyway (`formats.centreGroup`).
ReportRows ReportGeneralInformation(const InfoSummary& summary, const std::array<std::u16string, 20>& titles,
                                    const InfoPageFormats& formats);

/// The measures every serie table of a report shares.
struct SeriesTable {
    std::array<LONG, kShotListColumns> columns{};
    LONG width = 0;
    /// Header and shot rows, without the total row.
    LONG height = 0;
    /// The serie's picture left of the table; under 1 when the table leaves it no room.
    LONG pictureWidth = 0;
    LONG normalLine = 0;
    LONG boldLine = 0;
};

/// Column widths from the widest text of each column over the shown series and the group's total, the table's
/// height for ten (biathlon five) shot rows, and the picture's width at the face's proportions, narrowed so the
/// picture, a gap and the table fit `layoutWidth`.
SeriesTable MeasureSeriesTable(platform::gfx::DrawContext& printer, const CGroup& group, const ReportFonts& fonts,
                               const ReportUnits& units, LONG layoutWidth, bool biathlon, float formWidth,
                               float formHeight);

/// One row of a serie table from `at`, a cell per column in the column's alignment; a biathlon shot's result is
/// its plate picture. Returns the row's height.
LONG AddStatisticsRowCells(PrintoutPage& page, platform::gfx::DrawContext& printer, const CStatisticsRow& row,
                           platform::gfx::Point at, const platform::gfx::Font& font, const SeriesTable& table,
                           const ReportUnits& units, bool biathlon);

/// Draws a serie's target picture over the rectangle onto the builder's page; false when it cannot be made.
using SeriePictureMaker = std::function<bool(const CSerie& serie, const platform::gfx::Rect& rect)>;

/// A block per shown serie of `group` (its picture, header, shot rows, a rule and its total, and the group's total
/// after the last serie), each on a new page when it does not fit. False when a picture cannot be made.
bool AddSeriesSection(ReportBuilder& builder, const CGroup& group, const SeriesTable& table, bool biathlon,
                      const SeriePictureMaker& picture);

/// A graph section: its chart (the upper of the two for probability) and its command's string, whose last line
/// is the caption.
struct ReportChartSection {
    ReportChart chart;
    std::u16string command;
};
/// Draws a chart for print over the rectangle; false leaves that chart out.
using ReportChartDrawer =
    std::function<bool(ReportChart chart, platform::gfx::DrawContext& context, const platform::gfx::Rect& rect)>;

/// Each section under its caption, half as high as the layout is wide, on a new page when it does not fit; the
/// charts are recorded at the printer's resolution (text measured by `measure`) with a frame of their size in
/// HIMETRIC. Probability's height is shared by its two charts, three fifths to the upper.
void AddChartSections(ReportBuilder& builder, std::span<const ReportChartSection> sections,
                      const platform::gfx::TextMeasure* measure, const ReportChartDrawer& draw);

} // namespace talvodesk
