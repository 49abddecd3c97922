#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"
#include "platform/gfx/Picture.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct ITarget;

namespace platform::gfx {
class DrawContext;
}

namespace talvodesk {

inline constexpr int kShotListColumns = 12;
inline constexpr int kSerieRows = 10;

/// The shot list's columns, in table order.
enum ShotListColumn : int {
    ColumnIndex = 0,
    ColumnResult = 1,
    ColumnTime = 2,
    ColumnSteadiness6 = 3,
    ColumnSteadiness9 = 4,
    ColumnSteadiness10Centre = 5,
    ColumnSteadiness10p5Centre = 6,
    ColumnSteadiness10 = 7,
    ColumnSteadiness10p5 = 8,
    ColumnSpeed = 9,
    ColumnSpeed250 = 10,
    ColumnBreachFromAap = 11,
};

/// One column of the shot list: whether simple and expert mode show it, how its cells align their text (TA_ flags)
/// and its width from the last layout.
struct ShotListColumnInfo {
    bool simple = false;
    bool expert = false;
    UINT align = 0;
    LONG width = 0;
};

/// The columns every shot-list row shares, and whether the series view has the keyboard focus (the cells choose
/// their selection colours by it). One per process, so the same rows can be drawn by the view and by a printout.
/// Owner (user-interface) thread only.
struct ShotListColumns {
    std::array<ShotListColumnInfo, kShotListColumns> columns;
    /// Which of the two flags a shown column means.
    bool expertMode = true;
    bool viewFocused = false;

    bool shown(int column) const
    {
        const ShotListColumnInfo& info = columns[static_cast<std::size_t>(column)];
        return expertMode ? info.expert : info.simple;
    }
    void setShown(int column, bool show)
    {
        ShotListColumnInfo& info = columns[static_cast<std::size_t>(column)];
        (expertMode ? info.expert : info.simple) = show;
    }
    /// The initial flags and alignments.
    void reset();
};
ShotListColumns& ShotListColumnTable();

/// A drawable rectangle of the shot list, in content coordinates (the view moves the context's origin by its
/// scroll position). Cells draw through any drawing context, so a printout can draw the same rows. Owner thread
/// only.
class CCell {
public:
    virtual ~CCell() = default;

    /// Nothing for a hidden or empty cell, or one outside `update` (when given).
    void DrawIfVisible(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const;
    /// What Measure gives (0 x 0 when hidden) plus both margins on each side.
    platform::gfx::Size MeasureWithMargins(platform::gfx::DrawContext& context) const;

    virtual void Draw(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const = 0;
    virtual platform::gfx::Size Measure(platform::gfx::DrawContext& context) const = 0;

    platform::gfx::Rect rect;
    bool visible = true;
    LONG marginX = 3;
    LONG marginY = 1;
    bool selected = false;
    bool red = false;
    bool grey = false;
};

/// A line of text anchored at the top of its content rectangle, drawn unclipped and unwrapped; or an icon fitted
/// into the rectangle in place of the text.
class CTextCell final : public CCell {
public:
    platform::gfx::Rect GetContentRect() const;
    /// With one decimal, "%3.1f".
    void SetTenths(float value);
    /// The seconds within the hour, "%02.1f": whole hours are dropped.
    void SetDuration(double days);

    void Draw(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const override;
    platform::gfx::Size Measure(platform::gfx::DrawContext& context) const override;

    /// Owned by the view; null draws in the context's font.
    const platform::gfx::Font* font = nullptr;
    std::u16string text;
    UINT align = 0;
    COLORREF background = 0xEEEEEE;
    COLORREF textColor = 0x000000;
    /// Shared, and null without one: few cells of a list show a picture, and a list has tens of thousands.
    std::shared_ptr<const platform::gfx::Picture> icon;
};

/// The rectangle an icon of `bounds` is played into inside `space`: its aspect kept in whole thousandths, the
/// space itself when either has no size.
platform::gfx::Rect FitIcon(const platform::gfx::Rect& space, const platform::gfx::Rect& bounds);

/// What a shot row shows, kept so totals can be formed without reading the shot again.
struct RowValues {
    float breachX = 0;
    float breachY = 0;
    float aapX = 0;
    float aapY = 0;
    float distance = 0;
    float result = 0;
    float speed = 0;
    float speed250 = 0;
    /// Days.
    double time = 0;
    /// 6a0, 9a0, 10.0, 10.5, 10a0, 10a5.
    std::array<float, 6> steadiness{};
    /// VARIANT_TRUE (-1): missed, or not computed yet.
    std::int16_t missed = 0;
    /// Of the aiming: a sighting shot is drawn grey.
    bool match = true;
    /// Biathlon: the plate's area hit and the one nearest the breach.
    LONG areaIndex = 0;
    LONG nearestArea = 0;
};

/// One line of the shot list: a cell per column, and the aiming and shot it shows.
class CStatisticsRow final : public CCell {
public:
    CStatisticsRow();

    /// Keeps both, shows the row exactly when a shot is given, and marks its values as not computed.
    void SetShot(IAiming* aiming, IShot* shot);
    /// Places the row at `origin`, the shown columns 3 pixels apart, each as wide as its column; a height of 0
    /// measures each cell.
    void Layout(platform::gfx::Point origin, LONG height, platform::gfx::DrawContext& context);
    void SetSelected(bool select);

    void Draw(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const override;
    platform::gfx::Size Measure(platform::gfx::DrawContext&) const override { return {}; }

    std::array<CTextCell, kShotListColumns> cells;
    platform::com::ComPtr<IAiming> aiming;
    platform::com::ComPtr<IShot> shot;
    RowValues values;
};

/// The window of a serie block that holds its target control. The view layer makes it; the rules only place it.
class SerieWindow {
public:
    virtual ~SerieWindow() = default;
    virtual ITarget* target() const = 0;
    /// Client coordinates of the series view.
    virtual void setGeometry(const platform::gfx::Rect& rect) = 0;
    virtual void setVisible(bool visible) = 0;
};

/// What a serie block's target shows besides what the whole view sets, kept so the block's window can be made
/// when the block first comes into view.
struct SerieTarget {
    std::optional<long> subTarget;
    std::vector<platform::com::ComPtr<IAiming>> aimings;
    std::string label;
    /// The hits' mean breach, drawn as a cross; none for the biathlon.
    std::optional<std::pair<float, float>> cross;
    long hits = 0;
};

/// One serie block: its target, a header row, ten shot rows and a total row.
class CSerie final : public CCell {
public:
    void Draw(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const override;
    platform::gfx::Size Measure(platform::gfx::DrawContext&) const override { return {}; }

    platform::gfx::Rect targetRect;
    SerieTarget targetState;
    /// Null until the block first comes into view.
    std::unique_ptr<SerieWindow> window;
    CStatisticsRow header;
    std::array<CStatisticsRow, kSerieRows> rows;
    CStatisticsRow total;
};

/// The sighting or the match shots: a title, the serie blocks and a total row.
class CGroup final : public CCell {
public:
    void Draw(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const override;
    platform::gfx::Size Measure(platform::gfx::DrawContext&) const override { return {}; }
    void DeleteSeries() { series.clear(); }

    CTextCell title;
    std::vector<std::unique_ptr<CSerie>> series;
    CStatisticsRow total;
};

} // namespace talvodesk
