#pragma once

#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

struct ChartPoint {
    double x = 0;
    double y = 0;
};

/// One curve or bar of a chart. The id is the caller's key; lookups take the first series with it.
struct ChartSeriesInfo {
    std::int32_t id = 0;
    bool visible = true;
    /// Drawn and listed in the legend when rendering for print only if set.
    bool printable = true;
    /// Tenths of a point; 0 draws the one-pixel minimum.
    std::int32_t width = 0;
    COLORREF color = 0;
    /// Legend text; empty leaves the series out of the legend.
    std::u16string name;
    std::vector<ChartPoint> points;
};

struct ChartLabel {
    double x = 0;
    double y = 0;
    std::u16string text;
    /// Draws a dotted grid line through the label.
    bool grid = false;
};

/// A shaded rectangle in data coordinates. Only kind 0 (or below) with reserved 0 is drawn.
struct ChartBand {
    std::int32_t kind = 0;
    std::int32_t reserved = 0;
    bool filled = true;
    /// Device pixels.
    std::int32_t borderWidth = 1;
    double left = 0;
    double bottom = 0;
    /// 0 spans the whole x range.
    double width = 0;
    /// 0 spans the whole y range.
    double height = 0;
    COLORREF borderColor = 0;
    COLORREF fillColor = 0xFFFFFF;
};

/// Device pixels kept free inside the chart's rectangle.
struct ChartMargins {
    LONG left = 0;
    LONG top = 0;
    LONG right = 0;
    LONG bottom = 0;
};

struct ChartFonts {
    platform::gfx::Font text;
    platform::gfx::Font title;
    /// Reads upwards (escapement 900).
    platform::gfx::Font vertical;
};

/// Where a chart's parts go for one rectangle on one device.
struct ChartLayout {
    /// Text font line height plus its internal leading.
    LONG lineHeight = 0;
    /// One point in pixels, horizontally and vertically.
    LONG pointX = 0;
    LONG pointY = 0;
    /// The widest pen of the drawn series (and the base width), in pixels.
    LONG widestPen = 0;
    bool legendShown = false;
    platform::gfx::Rect legendRow;
    platform::gfx::Rect plot;
};

/// Where a chart's texts go when drawn: the two titles (empty without one) and every label written, in pixels.
struct ChartTextBoxes {
    platform::gfx::Rect xTitle;
    platform::gfx::Rect yTitle;
    std::vector<platform::gfx::Rect> labels;
};

/// The chart engine every analysis graph draws with: series (polylines, or bars when a series has two points on one
/// vertical or horizontal line), axis labels with ticks and grid lines, shaded bands, two titles and a legend, drawn
/// through a DrawContext so the same Draw serves the screen, a recorded picture and a printer page. Owner thread
/// only.
class CChartImpl {
public:
    CChartImpl();

    /// The axis frame. A maximum at or below its minimum is drawn as a range of one unit.
    double m_xMin = 0;
    double m_xMax = 0;
    double m_yMin = 0;
    double m_yMax = 0;
    /// The y value of the horizontal axis line and the x-axis labels.
    double m_xAxisLevel = 0;
    /// The x value of the vertical axis line and the y-axis labels.
    double m_yAxisLevel = 0;
    /// Tenths of a point; the least pen the plot area makes room for.
    std::int32_t m_baseWidth = 0;
    std::u16string m_xTitle;
    std::u16string m_yTitle;

    bool AddSeries(std::int32_t id, COLORREF color, std::int32_t width, bool printable);
    bool SetSeriesName(std::int32_t id, std::u16string_view name);
    bool ShowSeries(std::int32_t id, bool visible);
    bool SetSeriesWidth(std::int32_t id, std::int32_t width);
    bool SetSeriesColor(std::int32_t id, COLORREF color);
    bool AddPoint(std::int32_t id, double x, double y);
    bool ClearSeries(std::int32_t id);
    void AddLabel(double x, double y, std::u16string_view text, bool grid);
    void AddBand(std::int32_t kind, double left, double bottom, double width, double height, std::int32_t borderWidth,
                 COLORREF borderColor, bool filled, COLORREF fillColor);
    void ClearLabels() { m_labels.clear(); }
    void ClearBands() { m_bands.clear(); }
    void ClearAll();

    /// The screen fonts: the dialog font, a bold one for the x title (not bold for Japanese, Chinese and Korean)
    /// and the same turned to read upwards in `verticalFace` for the y title.
    void CreateFonts(std::uint16_t languageId, std::u16string_view verticalFace);
    const ChartFonts& fonts() const { return m_fonts; }

    const std::vector<ChartSeriesInfo>& series() const { return m_series; }
    const std::vector<ChartLabel>& labels() const { return m_labels; }
    const std::vector<ChartBand>& bands() const { return m_bands; }

    /// Renders the chart into rect. With `print` only printable series are drawn and listed, two-point horizontal
    /// series are lines, and `printFonts` (when given) replace the screen fonts. A chart without series draws
    /// nothing. Leaves the context's state as it was.
    void Draw(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect, const ChartMargins& margins, bool legend,
              bool print, const ChartFonts* printFonts = nullptr) const;
    /// The visible series whose vertical or horizontal segment lies under point (within half its pen plus one
    /// pixel), laid out with the screen fonts and the legend. A non-null `series` on entry resumes the search after
    /// that series. False, leaving `series`, when nothing is hit or the point is outside the plot area.
    bool HitTest(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect, const ChartMargins& margins,
                 platform::gfx::Point point, const ChartSeriesInfo*& series) const;

    /// Steps 2 to 5 of drawing: the layout Draw and HitTest use.
    ChartLayout Layout(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect, const ChartMargins& margins,
                       bool legend, bool print, const ChartFonts& fonts) const;
    /// Maps data coordinates into the plot area.
    platform::gfx::Point Map(const platform::gfx::Rect& plot, double x, double y) const;
    /// The boxes Draw writes its titles and labels into, with the same arguments.
    ChartTextBoxes TextBoxes(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect,
                             const ChartMargins& margins, bool legend, bool print,
                             const ChartFonts* printFonts = nullptr) const;

private:
    /// A label's tick through `at` and its text's box, written only when the text reaches near the plot.
    struct PlacedLabel {
        const ChartLabel* label;
        platform::gfx::Point at;
        platform::gfx::Rect box;
        bool written;
    };
    std::vector<PlacedLabel> placeLabels(platform::gfx::DrawContext& dc, const ChartLayout& layout,
                                         const ChartFonts& fonts) const;
    /// The labels placed and the titles placed clear of them.
    ChartTextBoxes placeTexts(platform::gfx::DrawContext& dc, const ChartLayout& layout, const ChartFonts& fonts,
                              const std::vector<PlacedLabel>& labels) const;

    ChartSeriesInfo* find(std::int32_t id);
    /// Applies `change` to series `id`; false when there is no such series.
    template <typename Change> bool changeSeries(std::int32_t id, Change change)
    {
        ChartSeriesInfo* series = find(id);
        if (series) {
            change(*series);
        }
        return series != nullptr;
    }
    bool drawn(const ChartSeriesInfo& series, bool print) const;
    bool onVerticalAxis(const ChartLabel& label) const;
    bool onHorizontalAxis(const ChartLabel& label) const;

    // The stages of Draw, in order.
    void drawLegend(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect, const ChartLayout& layout,
                    const ChartFonts& fonts, bool print) const;
    void drawBandsAndGrid(platform::gfx::DrawContext& dc, const platform::gfx::Rect& plot,
                          const platform::gfx::Rect& plotClip) const;
    void drawTitles(platform::gfx::DrawContext& dc, const ChartFonts& fonts, const ChartTextBoxes& texts) const;
    /// The labels with their ticks, in the text font and pen the caller selected.
    void drawLabels(platform::gfx::DrawContext& dc, const platform::gfx::Rect& rect, const ChartLayout& layout,
                    const std::vector<PlacedLabel>& labels) const;
    /// The curves, in the clip the caller set.
    void drawSeries(platform::gfx::DrawContext& dc, const platform::gfx::Rect& plot, bool print) const;

    ChartFonts m_fonts;
    std::vector<ChartSeriesInfo> m_series;
    /// Where the first series of each id is in m_series: graphs with a series per serie look them up per point.
    std::unordered_map<std::int32_t, std::size_t> m_seriesIndex;
    std::vector<ChartLabel> m_labels;
    std::vector<ChartBand> m_bands;
};

} // namespace talvodesk
