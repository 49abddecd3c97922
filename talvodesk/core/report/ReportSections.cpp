#include "talvodesk/core/report/ReportSections.h"

#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/analysis/InfoSummary.h"
#include "talvodesk/core/options/TextFormat.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/MulDiv.h"
#include "platform/gfx/PictureRecorder.h"
#include "platform/gfx/TextFormat.h"

#include <algorithm>
#include <cmath>

namespace talvodesk {

using platform::gfx::Font;
using platform::gfx::MulDiv;
using platform::gfx::Point;
using platform::gfx::Rect;

namespace {

constexpr int kBiathlonSerieRows = 5;

/// The DrawText alignment of a column from its TA_ alignment.
UINT columnFormat(UINT align)
{
    if ((align & platform::gfx::TA_CENTER) == platform::gfx::TA_CENTER) {
        return platform::gfx::DT_CENTER;
    }
    return (align & platform::gfx::TA_RIGHT) != 0 ? platform::gfx::DT_RIGHT : platform::gfx::DT_LEFT;
}

LONG textWidth(platform::gfx::DrawContext& printer, const Font& font, std::u16string_view text)
{
    const platform::gfx::StateSaver saver(printer);
    printer.setFont(font);
    Rect rect{0, 0, 0x7FFF, 0};
    (void)printer.drawText(text, rect, platform::gfx::DT_CALCRECT | platform::gfx::DT_NOCLIP); // unmeasurable: 0
    return rect.width();
}

/// A chart recorded at the printer's resolution through the chart's own drawing, as a fitted picture.
void addChart(ReportBuilder& builder, ReportChart chart, LONG width, LONG height,
              const platform::gfx::TextMeasure* measure, const ReportChartDrawer& draw)
{
    const platform::gfx::Resolution dpi = builder.printer().resolution();
    platform::gfx::PictureRecorder recorder(dpi, measure);
    if (!draw(chart, recorder, {0, 0, width, height})) {
        return;
    }
    const Rect frame{0, 0, MulDiv(width, 2540, dpi.x), MulDiv(height, 2540, dpi.y)};
    const Rect& layout = builder.layout();
    auto& cell = builder.page().add<CPrintoutMetaCell>();
    cell.metafile = recorder.finish(frame);
    cell.rect = {layout.left, layout.top, layout.left + width, layout.top + height};
}

} // namespace

ReportRows ReportGeneralInformation(const InfoSummary& summary, const std::array<std::u16string, 20>& titles,
                                    const InfoPageFormats& formats)
{
    const auto title = [&titles](std::u16string_view id) -> const std::u16string& {
        const auto found = std::find(kInfoTitleIds.begin(), kInfoTitleIds.end(), id);
        return titles[static_cast<std::size_t>(found - kInfoTitleIds.begin())];
    };
    const SideSummary& side = summary.sides[0];
    const bool biathlon = summary.biathlon;
    ReportRows rows;
    rows.emplace_back(title(u"idShotCountTitle"), FormatInt(side.shotCount, u"%i"));
    if (!biathlon) {
        rows.emplace_back(title(u"idResultTitle"),
                          title(u"idResultIntTitle") + FormatInt(side.integerResult, u"%i") + u"\n" +
                              title(u"idResultFractionalTitle") + FormatFloat(side.fractionalResult, u"%-4.1f") +
                              u"\n" + title(u"idResultAverageTitle") + FormatFloat(side.averageResult, u"%-4.1f"));
        if (!formats.centreGroup) {
            rows.emplace_back(title(u"idResultIntCoinsidedTitle"),
                              FormatFloat(side.coincidedResult, u"%-4.1f") +
                                  FormatFloat(side.coincidedResult - side.fractionalResult, u" (%+3.1f)"));
        }
    }
    rows.emplace_back(title(u"idTotalShootingTimeTitle"), FormatDuration(side.totalTime, false));
    std::u16string average = FormatDuration(side.averageTime, false);
    if (!biathlon) {
        average += u" (" + FormatDuration(side.shortestInterval, false) + u", " +
                   FormatDuration(side.longestInterval, false) + u")";
    }
    rows.emplace_back(title(u"idAvgTimePerShotTitle"), std::move(average));
    rows.emplace_back(title(u"idStabilityOfTimeIntervalTitle"), FormatInt(side.intervalStability, u"%i%%"));
    if (!biathlon) {
        rows.emplace_back(title(u"idDiametralDispersionTitle"), FormatFloat(side.groupSize, formats.millimetres));
        rows.emplace_back(title(u"idStabilityOfAimingTitle"), FormatFloat(side.aimingStability, formats.millimetres));
        rows.emplace_back(title(u"idAccuracyOfShootingTitle"), FormatFloat(side.accuracy, formats.millimetres));
        rows.emplace_back(title(u"idAvgSteadinessTitle"), FormatInt(side.steadiness, u"%i%%"));
    }
    rows.emplace_back(title(u"idAvgLenTitle"),
                      FormatFloat(side.traceLength, formats.millimetres) + u"\n" + title(u"idAvgLenXTitle") +
                          FormatFloat(side.traceLengthX, formats.millimetres) + u"\n" + title(u"idAvgLenYTitle") +
                          FormatFloat(side.traceLengthY, formats.millimetres));
    if (!biathlon) {
        rows.emplace_back(title(u"idEllipticalFactorTitle"),
                          title(u"idEllipticalFactorGroupTitle") + FormatFloat(side.groupEllipse, u"%-4.2f") + u"\n" +
                              title(u"idEllipticalFactorTraceTitle") + FormatFloat(side.traceEllipse, u"%-4.2f"));
    }
    rows.emplace_back(title(u"idControlIntervalTitle"), FormatFloat(summary.controlInterval, formats.seconds));
    return rows;
}

SeriesTable MeasureSeriesTable(platform::gfx::DrawContext& printer, const CGroup& group, const ReportFonts& fonts,
                               const ReportUnits& units, LONG layoutWidth, bool biathlon, float formWidth,
                               float formHeight)
{
    SeriesTable table;
    table.normalLine = ReportLineHeight(printer, fonts.normal, units);
    table.boldLine = ReportLineHeight(printer, fonts.bold, units);
    std::array<LONG, kShotListColumns> widest{};
    const auto measure = [&](const CStatisticsRow& row, const Font& font) {
        for (std::size_t column = 0; column < widest.size(); ++column) {
            widest[column] = std::max(widest[column], textWidth(printer, font, row.cells[column].text));
        }
    };
    for (const auto& serie : group.series) {
        if (!serie->visible) {
            continue;
        }
        measure(serie->header, fonts.bold);
        for (const CStatisticsRow& row : serie->rows) {
            if (row.shot) {
                measure(row, fonts.normal);
            }
        }
        measure(serie->total, fonts.bold);
    }
    measure(group.total, fonts.bold);
    for (std::size_t column = 0; column < widest.size(); ++column) {
        table.columns[column] = widest[column] + 2 * units.pad;
        table.width += table.columns[column];
    }
    table.height = (biathlon ? kBiathlonSerieRows : kSerieRows) * table.normalLine + table.boldLine;
    table.pictureWidth =
        formHeight > 0 ? static_cast<LONG>(std::lround(table.height * formWidth / formHeight)) : table.height;
    if (table.width + table.pictureWidth + units.gapX > layoutWidth) {
        table.pictureWidth = layoutWidth - table.width - units.gapX;
    }
    return table;
}

LONG AddStatisticsRowCells(PrintoutPage& page, platform::gfx::DrawContext& printer, const CStatisticsRow& row, Point at,
                           const Font& font, const SeriesTable& table, const ReportUnits& units, bool biathlon)
{
    const ShotListColumns& columns = ShotListColumnTable();
    LONG x = at.x;
    LONG height = 0;
    for (std::size_t column = 0; column < table.columns.size(); ++column) {
        const LONG width = table.columns[column];
        if (biathlon && column == ColumnResult && row.shot) {
            auto& plate = page.add<CPrintoutMetaCell>();
            plate.metafile = CreateFiveTargetsPicture(row.values.areaIndex, row.values.nearestArea);
            plate.rect = {x, at.y, x + width, at.y + height};
        } else {
            auto& cell = page.add<CPrintoutTextCell>();
            cell.font = font;
            cell.text = row.cells[column].text;
            cell.horizontalMargin = units.pad;
            cell.verticalMargin = units.halfPoint;
            cell.format = platform::gfx::DT_NOCLIP | columnFormat(columns.columns[column].align);
            const LONG cellHeight = cell.Measure(printer, 0).cy;
            cell.rect = {x, at.y, x + width, at.y + cellHeight};
            height = std::max(height, cellHeight);
        }
        x += width;
    }
    return height;
}

bool AddSeriesSection(ReportBuilder& builder, const CGroup& group, const SeriesTable& table, bool biathlon,
                      const SeriePictureMaker& picture)
{
    const ReportUnits& units = builder.units();
    const ReportFonts& fonts = builder.fonts();
    // A table too wide for a picture beside it starts at the left, the picture left out.
    const LONG pictureWidth = std::max<LONG>(table.pictureWidth, 0);
    std::size_t count = 0;
    for (const auto& serie : group.series) {
        ++count;
        if (!serie->visible) {
            continue;
        }
        const bool closesGroup = count > 1 && count == group.series.size();
        const LONG blockHeight =
            units.onePoint + 2 * table.boldLine + table.height + (closesGroup ? table.boldLine : 0);
        builder.ensureRoom(blockHeight);
        Rect& layout = builder.layout();
        const LONG blockTop = layout.top;
        auto& spacer = builder.addText(fonts.bold, {}, {layout.left, layout.top}, 0);
        spacer.horizontalMargin = units.pad;
        spacer.verticalMargin = units.halfPoint;
        const platform::gfx::Size spacerSize = spacer.Measure(builder.printer(), 0);
        spacer.rect = {layout.left, layout.top, layout.left + spacerSize.cx, layout.top + spacerSize.cy};
        layout.top += spacerSize.cy;

        const LONG tableTop = layout.top;
        if (table.pictureWidth >= 1 &&
            !picture(*serie, {layout.left, tableTop, layout.left + table.pictureWidth, tableTop + table.height})) {
            return false;
        }
        const LONG tableLeft = layout.left + pictureWidth + units.gapX;
        PrintoutPage& page = builder.page();
        platform::gfx::DrawContext& printer = builder.printer();
        LONG y = tableTop;
        (void)AddStatisticsRowCells(page, printer, serie->header, {tableLeft, y}, fonts.bold, table, units, biathlon);
        y += table.boldLine;
        for (const CStatisticsRow& row : serie->rows) {
            if (row.shot) {
                (void)AddStatisticsRowCells(page, printer, row, {tableLeft, y}, fonts.normal, table, units, biathlon);
                y += table.normalLine;
            }
        }
        auto& rule = page.add<CPrintoutBarCell>();
        rule.color = 0x000000;
        const LONG ruleTop = tableTop + table.height;
        rule.rect = {tableLeft + table.columns[0] + units.pad, ruleTop, tableLeft + table.width - units.pad,
                     ruleTop + units.onePoint};
        const LONG totalTop = ruleTop + units.onePoint;
        (void)AddStatisticsRowCells(page, printer, serie->total, {tableLeft, totalTop}, fonts.bold, table, units,
                                    biathlon);
        if (closesGroup) {
            (void)AddStatisticsRowCells(page, printer, group.total, {tableLeft, totalTop + table.boldLine}, fonts.bold,
                                        table, units, biathlon);
        }
        layout.top = blockTop + blockHeight;
    }
    return true;
}

void AddChartSections(ReportBuilder& builder, std::span<const ReportChartSection> sections,
                      const platform::gfx::TextMeasure* measure, const ReportChartDrawer& draw)
{
    const ReportUnits& units = builder.units();
    for (const ReportChartSection& section : sections) {
        Rect& layout = builder.layout();
        const LONG width = layout.width();
        const LONG chartHeight = width / 2;
        builder.ensureRoom(chartHeight + ReportLineHeight(builder.printer(), builder.fonts().bold, units));
        // The caption is the command's short name after an empty line.
        const std::u16string_view command = section.command;
        const std::size_t lineBreak = command.rfind(u'\n');
        const std::u16string caption(lineBreak == std::u16string_view::npos ? command : command.substr(lineBreak));
        layout.top += builder.addText(builder.fonts().bold, caption, {layout.left, layout.top}, 0).rect.height();
        if (section.chart != ReportChart::ProbabilityUpper) {
            addChart(builder, section.chart, width, chartHeight, measure, draw);
            layout.top += chartHeight + units.gapY;
            continue;
        }
        const LONG shared = chartHeight - units.gapY / 2;
        const LONG upper = shared * 3 / 5;
        addChart(builder, ReportChart::ProbabilityUpper, width, upper, measure, draw);
        layout.top += upper + units.gapY / 2;
        addChart(builder, ReportChart::ProbabilityLower, width, shared - upper, measure, draw);
        layout.top += shared - upper + units.gapY;
    }
}

} // namespace talvodesk
