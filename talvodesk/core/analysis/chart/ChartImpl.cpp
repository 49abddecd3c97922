#include "talvodesk/core/analysis/chart/ChartImpl.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/MulDiv.h"
#include "platform/gfx/TextFormat.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

namespace talvodesk {

using platform::gfx::Brush;
using platform::gfx::BrushStyle;
using platform::gfx::DrawContext;
using platform::gfx::Font;
using platform::gfx::MulDiv;
using platform::gfx::Pen;
using platform::gfx::PenStyle;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::Size;
using platform::gfx::StateSaver;

namespace {

constexpr COLORREF kGridColor = 0xC0C0C0;
constexpr COLORREF kTitleColor = 0x808080;
constexpr COLORREF kBlack = 0x000000;
constexpr LONG kVerticalEscapement = 900;
// Far outside any device, yet safe to add to a coordinate.
constexpr float kFarPixels = 1.0e7F;

Size extentIn(DrawContext& dc, const Font& font, std::u16string_view text)
{
    dc.setFont(font);
    return dc.textExtent(text);
}

/// (value - minimum) * (pixels - 1) / (maximum - minimum): the difference in double, since dates near 45,000 lose
/// their seconds in single precision, and the quotient in single precision.
LONG scaled(double value, double minimum, double maximum, LONG pixels)
{
    const double range = maximum > minimum ? maximum - minimum : 1.0;
    float quotient = static_cast<float>((value - minimum) * static_cast<double>(pixels - 1) / range);
    if (std::isnan(quotient)) {
        quotient = 0;
    }
    return static_cast<LONG>(std::lround(std::clamp(quotient, -kFarPixels, kFarPixels)));
}

/// How far box passes each side of area, plus `pad` on a side it passes.
void growCandidates(const Rect& box, const Rect& area, LONG padX, LONG padY, std::array<LONG, 4>& candidates)
{
    const std::array<LONG, 4> passes = {area.left - box.left, area.top - box.top, box.right - area.right,
                                        box.bottom - area.bottom};
    for (std::size_t side = 0; side < passes.size(); ++side) {
        if (passes[side] > 0) {
            const LONG pad = side % 2 == 0 ? padX : padY;
            candidates[side] = std::max(candidates[side], passes[side] + pad);
        }
    }
}

struct TitleBoxes {
    Rect x;
    Rect y;
};

} // namespace

CChartImpl::CChartImpl()
{
    CreateFonts(0, u"Arial");
}

ChartSeriesInfo* CChartImpl::find(std::int32_t id)
{
    const auto found = m_seriesIndex.find(id);
    return found == m_seriesIndex.end() ? nullptr : &m_series[found->second];
}

bool CChartImpl::AddSeries(std::int32_t id, COLORREF color, std::int32_t width, bool printable)
{
    ChartSeriesInfo series;
    series.id = id;
    series.color = color;
    series.width = width;
    series.printable = printable;
    m_seriesIndex.try_emplace(id, m_series.size());
    m_series.push_back(std::move(series));
    return true;
}

bool CChartImpl::SetSeriesName(std::int32_t id, std::u16string_view name)
{
    return changeSeries(id, [name](ChartSeriesInfo& series) { series.name = name; });
}

bool CChartImpl::ShowSeries(std::int32_t id, bool visible)
{
    return changeSeries(id, [visible](ChartSeriesInfo& series) { series.visible = visible; });
}

bool CChartImpl::SetSeriesWidth(std::int32_t id, std::int32_t width)
{
    return changeSeries(id, [width](ChartSeriesInfo& series) { series.width = width; });
}

bool CChartImpl::SetSeriesColor(std::int32_t id, COLORREF color)
{
    return changeSeries(id, [color](ChartSeriesInfo& series) { series.color = color; });
}

bool CChartImpl::AddPoint(std::int32_t id, double x, double y)
{
    return changeSeries(id, [x, y](ChartSeriesInfo& series) { series.points.push_back({x, y}); });
}

bool CChartImpl::ClearSeries(std::int32_t id)
{
    return changeSeries(id, [](ChartSeriesInfo& series) { series.points.clear(); });
}

void CChartImpl::AddLabel(double x, double y, std::u16string_view text, bool grid)
{
    m_labels.push_back({x, y, std::u16string(text), grid});
}

void CChartImpl::AddBand(std::int32_t kind, double left, double bottom, double width, double height,
                         std::int32_t borderWidth, COLORREF borderColor, bool filled, COLORREF fillColor)
{
    ChartBand band;
    band.kind = kind;
    band.left = left;
    band.bottom = bottom;
    band.width = width;
    band.height = height;
    band.borderWidth = borderWidth;
    band.borderColor = borderColor;
    band.filled = filled;
    band.fillColor = fillColor;
    m_bands.push_back(band);
}

void CChartImpl::ClearAll()
{
    m_series.clear();
    m_seriesIndex.clear();
    m_labels.clear();
    m_bands.clear();
}

void CChartImpl::CreateFonts(std::uint16_t languageId, std::u16string_view verticalFace)
{
    constexpr std::uint16_t kJapanese = 0x11;
    constexpr std::uint16_t kChinese = 0x04;
    constexpr std::uint16_t kKorean = 0x12;
    const std::uint16_t primary = languageId & 0x3FF;
    m_fonts.text = platform::gfx::defaultGuiFont();
    m_fonts.title = m_fonts.text;
    if (primary != kJapanese && primary != kChinese && primary != kKorean) {
        m_fonts.title.weight = platform::gfx::FW_BOLD;
    }
    m_fonts.vertical = m_fonts.title;
    m_fonts.vertical.faceName = verticalFace;
    m_fonts.vertical.escapement = kVerticalEscapement;
}

bool CChartImpl::drawn(const ChartSeriesInfo& series, bool print) const
{
    return series.visible && (!print || series.printable);
}

bool CChartImpl::onVerticalAxis(const ChartLabel& label) const
{
    return label.x == 0 || label.x == m_yAxisLevel;
}

bool CChartImpl::onHorizontalAxis(const ChartLabel& label) const
{
    return label.y == 0 || label.y == m_xAxisLevel;
}

Point CChartImpl::Map(const Rect& plot, double x, double y) const
{
    return {plot.left + scaled(x, m_xMin, m_xMax, plot.width()),
            plot.bottom - scaled(y, m_yMin, m_yMax, plot.height())};
}

namespace {

/// The titles along their axes; the x title moves along its axis past any box of `avoid` it would meet, as the
/// labels of the vertical axis close above the horizontal one on a low chart.
TitleBoxes placeTitles(DrawContext& dc, const ChartFonts& fonts, const std::u16string& xTitle,
                       const std::u16string& yTitle, const Rect& plot, Point axes, LONG h,
                       const std::vector<Rect>& avoid = {})
{
    TitleBoxes boxes;
    if (!xTitle.empty()) {
        const Size size = extentIn(dc, fonts.title, xTitle);
        boxes.x = {plot.left + h / 3, axes.y - size.cy, plot.left + h / 3 + size.cx, axes.y};
        for (bool moved = true; moved;) {
            moved = false;
            for (const Rect& box : avoid) {
                if (box.intersects(boxes.x)) {
                    boxes.x = boxes.x.translated({box.right + h / 3 - boxes.x.left, 0});
                    moved = true;
                }
            }
        }
    }
    if (!yTitle.empty()) {
        const Size size = extentIn(dc, fonts.vertical, yTitle);
        LONG top = plot.top + h / 3;
        LONG bottom = top + size.cx;
        if (bottom > plot.bottom) {
            top -= bottom - plot.bottom;
            bottom = plot.bottom;
        }
        boxes.y = {axes.x - h, top, axes.x, bottom};
    }
    return boxes;
}

} // namespace

ChartLayout CChartImpl::Layout(DrawContext& dc, const Rect& rect, const ChartMargins& margins, bool legend, bool print,
                               const ChartFonts& fonts) const
{
    StateSaver saver(dc);
    ChartLayout layout;
    dc.setFont(fonts.text);
    const platform::gfx::TextMetrics metrics = dc.textMetrics();
    const LONG h = metrics.height + metrics.internalLeading;
    const platform::gfx::Resolution dpi = dc.resolution();
    layout.lineHeight = h;
    layout.pointX = MulDiv(1, dpi.x, 72);
    layout.pointY = MulDiv(1, dpi.y, 72);

    layout.widestPen = MulDiv(m_baseWidth, dpi.y, 720);
    for (const ChartSeriesInfo& series : m_series) {
        if (drawn(series, print)) {
            layout.widestPen = std::max(layout.widestPen, MulDiv(series.width, dpi.y, 720));
            layout.legendShown = layout.legendShown || (legend && !series.name.empty());
        }
    }
    Rect area = rect;
    if (layout.legendShown) {
        layout.legendRow = {rect.left, rect.top, rect.right, rect.top + h};
        area.top += h;
    }

    // Provisional margins: the labels and titles mapped onto the whole area, and how far they stick out of it.
    std::array<LONG, 4> automatic{};
    const Rect reach = area.inset(-(h / 2));
    for (const ChartLabel& label : m_labels) {
        const Point at = Map(area, label.x, label.y);
        const Size size = extentIn(dc, fonts.text, label.text);
        Rect box{at.x, at.y, at.x + size.cx, at.y + size.cy};
        if (onVerticalAxis(label)) {
            box = box.translated({0, -(size.cy / 2)});
        } else if (onHorizontalAxis(label)) {
            box = box.translated({-(size.cx / 2), 0});
        }
        if (box.intersects(reach)) {
            growCandidates(box, area, 2 * layout.pointX, 2 * layout.pointY, automatic);
        }
    }
    const Point axes = Map(area, m_yAxisLevel, m_xAxisLevel);
    const TitleBoxes titles = placeTitles(dc, fonts, m_xTitle, m_yTitle, area, axes, h);
    for (const Rect& box : {titles.x, titles.y}) {
        if (!box.isEmpty() && box.intersects(reach)) {
            growCandidates(box, area, 0, 0, automatic);
        }
    }

    layout.plot = {area.left + automatic[0] + margins.left, area.top + automatic[1] + margins.top,
                   area.right - automatic[2] - margins.right, area.bottom - automatic[3] - margins.bottom};
    layout.plot.left += layout.widestPen / 2;
    layout.plot.right -= layout.widestPen / 2;
    return layout;
}

void CChartImpl::Draw(DrawContext& dc, const Rect& rect, const ChartMargins& margins, bool legend, bool print,
                      const ChartFonts* printFonts) const
{
    if (m_series.empty()) {
        return;
    }
    const ChartFonts& fonts = print && printFonts ? *printFonts : m_fonts;
    StateSaver saver(dc);
    dc.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    const ChartLayout layout = Layout(dc, rect, margins, legend, print, fonts);
    const Rect& plot = layout.plot;
    const Rect plotClip{plot.left, plot.top, plot.right + 1, plot.bottom + 1};
    if (layout.legendShown) {
        drawLegend(dc, rect, layout, fonts, print);
    }
    drawBandsAndGrid(dc, plot, plotClip);
    const Point axes = Map(plot, m_yAxisLevel, m_xAxisLevel);
    const std::vector<PlacedLabel> labels = placeLabels(dc, layout, fonts);
    drawTitles(dc, fonts, placeTexts(dc, layout, fonts, labels));
    // The labels' ticks and the axes share the text font's black.
    dc.setFont(fonts.text);
    dc.setTextColor(kBlack);
    dc.setPen({PenStyle::Solid, 1, kBlack});
    drawLabels(dc, rect, layout, labels);
    dc.moveTo({plot.left, axes.y});
    dc.lineTo({plot.right, axes.y});
    dc.moveTo({axes.x, plot.bottom});
    dc.lineTo({axes.x, plot.top});
    dc.setClipRect(plotClip);
    drawSeries(dc, plot, print);
}

// The legend, band and label stages give back the caller's clip and selections when they end.

void CChartImpl::drawLegend(DrawContext& dc, const Rect& rect, const ChartLayout& layout, const ChartFonts& fonts,
                            bool print) const
{
    StateSaver stage(dc);
    dc.setClipRect(layout.legendRow);
    dc.setFont(fonts.text);
    dc.setTextColor(kBlack);
    dc.setTextAlign(platform::gfx::TA_LEFT | platform::gfx::TA_TOP);
    const LONG h = layout.lineHeight;
    const LONG inset = h / 5;
    LONG offset = 2;
    for (const ChartSeriesInfo& series : m_series) {
        if (!drawn(series, print) || series.name.empty()) {
            continue;
        }
        const LONG left = rect.left + offset;
        dc.fillRect({left + inset, rect.top + inset, left + h - inset, rect.top + h - inset}, series.color);
        offset += (h - 2 * inset) + h / 4;
        dc.textOut({rect.left + offset, rect.top}, series.name);
        offset += dc.textExtent(series.name).cx + 2 * h / 3;
    }
}

void CChartImpl::drawBandsAndGrid(DrawContext& dc, const Rect& plot, const Rect& plotClip) const
{
    StateSaver stage(dc);
    dc.setClipRect(plotClip);
    for (const ChartBand& band : m_bands) {
        if (band.kind > 0 || band.reserved != 0) {
            continue;
        }
        const Point from = Map(plot, band.left, band.bottom);
        const Point to = Map(plot, band.left + band.width, band.bottom + band.height);
        Rect box{from.x, to.y, to.x, from.y};
        if (band.width == 0) {
            box.left = plot.left;
            box.right = plot.right;
        }
        if (band.height == 0) {
            box.top = plot.top;
            box.bottom = plot.bottom;
        }
        dc.setPen({PenStyle::InsideFrame, band.borderWidth, band.borderColor});
        dc.setBrush(band.filled ? Brush{BrushStyle::Solid, band.fillColor} : Brush{BrushStyle::Hollow, 0});
        dc.rectangle(box.normalized());
    }

    dc.setPen({PenStyle::Dot, 1, kGridColor});
    for (const ChartLabel& label : m_labels) {
        if (!label.grid) {
            continue;
        }
        const Point at = Map(plot, label.x, label.y);
        if (onVerticalAxis(label)) {
            dc.moveTo({plot.left, at.y});
            dc.lineTo({plot.right, at.y});
        } else if (onHorizontalAxis(label)) {
            dc.moveTo({at.x, plot.bottom});
            dc.lineTo({at.x, plot.top});
        }
    }
}

void CChartImpl::drawTitles(DrawContext& dc, const ChartFonts& fonts, const ChartTextBoxes& texts) const
{
    dc.setTextColor(kTitleColor);
    dc.setTextAlign(platform::gfx::TA_LEFT | platform::gfx::TA_TOP);
    if (!texts.xTitle.isEmpty()) {
        dc.setFont(fonts.title);
        dc.textOut({texts.xTitle.left, texts.xTitle.top}, m_xTitle);
    }
    if (!texts.yTitle.isEmpty()) {
        // Turned upwards about its anchor, the text's top faces left and its start sits at the box's bottom.
        dc.setFont(fonts.vertical);
        dc.textOut({texts.yTitle.left, texts.yTitle.bottom}, m_yTitle);
    }
}

void CChartImpl::drawLabels(DrawContext& dc, const Rect& rect, const ChartLayout& layout,
                            const std::vector<PlacedLabel>& labels) const
{
    StateSaver stage(dc);
    dc.setClipRect(rect);
    const LONG p = layout.pointX;
    const LONG q = layout.pointY;
    for (const PlacedLabel& placed : labels) {
        const Point at = placed.at;
        if (onVerticalAxis(*placed.label)) {
            dc.moveTo({at.x + p, at.y});
            dc.lineTo({at.x - 2 * p, at.y});
        } else if (onHorizontalAxis(*placed.label)) {
            dc.moveTo({at.x, at.y + q});
            dc.lineTo({at.x, at.y - 2 * q});
        }
        if (placed.written) {
            dc.textOut({placed.box.left, placed.box.top}, placed.label->text);
        }
    }
}

void CChartImpl::drawSeries(DrawContext& dc, const Rect& plot, bool print) const
{
    const LONG resolutionY = dc.resolution().y;
    std::vector<Point> mapped;
    for (const ChartSeriesInfo& series : m_series) {
        if (!drawn(series, print) || series.points.size() < 2) {
            continue;
        }
        const LONG width = std::max<LONG>(1, MulDiv(series.width, resolutionY, 720));
        mapped.clear();
        for (const ChartPoint& point : series.points) {
            mapped.push_back(Map(plot, point.x, point.y));
        }
        if (mapped.size() == 2 && mapped[0].x == mapped[1].x) {
            const LONG left = mapped[0].x - width / 2;
            dc.fillRect({left, std::min(mapped[0].y, mapped[1].y), left + width, std::max(mapped[0].y, mapped[1].y)},
                        series.color);
            continue;
        }
        if (mapped.size() == 2 && mapped[0].y == mapped[1].y && !print) {
            const LONG top = mapped[0].y - width / 2;
            dc.fillRect({std::min(mapped[0].x, mapped[1].x), top, std::max(mapped[0].x, mapped[1].x), top + width},
                        series.color);
            continue;
        }
        dc.setPen({PenStyle::Solid, width, series.color});
        dc.polyline(mapped);
    }
}

std::vector<CChartImpl::PlacedLabel> CChartImpl::placeLabels(DrawContext& dc, const ChartLayout& layout,
                                                             const ChartFonts& fonts) const
{
    const platform::gfx::StateSaver saver(dc);
    dc.setFont(fonts.text);
    const Rect& plot = layout.plot;
    const LONG p = layout.pointX;
    const LONG q = layout.pointY;
    const Rect reach = plot.inset(-(layout.lineHeight / 2));
    std::vector<PlacedLabel> placed;
    placed.reserve(m_labels.size());
    for (const ChartLabel& label : m_labels) {
        const Point at = Map(plot, label.x, label.y);
        const Size size = dc.textExtent(label.text);
        Point topLeft = at;
        if (onVerticalAxis(label)) {
            topLeft = {at.x + 2 * p, at.y - size.cy / 2};
        } else if (onHorizontalAxis(label)) {
            topLeft = {at.x - size.cx / 2, at.y + 2 * q};
        }
        const Rect box{topLeft.x, topLeft.y, topLeft.x + size.cx, topLeft.y + size.cy};
        placed.push_back({&label, at, box, !label.text.empty() && box.intersects(reach)});
    }
    return placed;
}

ChartTextBoxes CChartImpl::placeTexts(DrawContext& dc, const ChartLayout& layout, const ChartFonts& fonts,
                                      const std::vector<PlacedLabel>& labels) const
{
    ChartTextBoxes texts;
    for (const PlacedLabel& placed : labels) {
        if (placed.written) {
            texts.labels.push_back(placed.box);
        }
    }
    const platform::gfx::StateSaver saver(dc);
    const Point axes = Map(layout.plot, m_yAxisLevel, m_xAxisLevel);
    const TitleBoxes titles =
        placeTitles(dc, fonts, m_xTitle, m_yTitle, layout.plot, axes, layout.lineHeight, texts.labels);
    texts.xTitle = titles.x;
    texts.yTitle = titles.y;
    return texts;
}

ChartTextBoxes CChartImpl::TextBoxes(DrawContext& dc, const Rect& rect, const ChartMargins& margins, bool legend,
                                     bool print, const ChartFonts* printFonts) const
{
    const ChartFonts& fonts = print && printFonts ? *printFonts : m_fonts;
    const ChartLayout layout = Layout(dc, rect, margins, legend, print, fonts);
    return placeTexts(dc, layout, fonts, placeLabels(dc, layout, fonts));
}

bool CChartImpl::HitTest(DrawContext& dc, const Rect& rect, const ChartMargins& margins, Point point,
                         const ChartSeriesInfo*& series) const
{
    const ChartLayout layout = Layout(dc, rect, margins, /*legend=*/true, /*print=*/false, m_fonts);
    const Rect& plot = layout.plot;
    if (point.x < plot.left || point.x >= plot.right || point.y < plot.top || point.y >= plot.bottom) {
        return false;
    }
    const LONG resolutionY = dc.resolution().y;
    bool searching = series == nullptr;
    for (const ChartSeriesInfo& candidate : m_series) {
        if (!searching) {
            searching = &candidate == series;
            continue;
        }
        if (!candidate.visible || candidate.points.size() < 2) {
            continue;
        }
        const LONG tolerance = std::max<LONG>(1, MulDiv(candidate.width, resolutionY, 720)) / 2 + 1;
        Point previous = Map(plot, candidate.points[0].x, candidate.points[0].y);
        for (std::size_t i = 1; i < candidate.points.size(); ++i) {
            const Point next = Map(plot, candidate.points[i].x, candidate.points[i].y);
            const bool vertical = previous.x == next.x && std::abs(point.x - next.x) <= tolerance;
            const bool horizontal = previous.y == next.y && std::abs(point.y - next.y) <= tolerance;
            if (vertical || horizontal) {
                series = &candidate;
                return true;
            }
            previous = next;
        }
    }
    return false;
}

} // namespace talvodesk
