#pragma once

#include "talvodesk/core/analysis/SeriesCells.h"
#include "talvodesk/core/analysis/SeriesRules.h"
#include "talvodesk/core/document/View.h"
#include "talvodesk/core/events/TargetEventSink.h"
#include "talvodesk/core/frame/FrameTimers.h"

#include "platform/gfx/DrawStyle.h"

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

struct IEventParams;

namespace platform::time {
class Clock;
}

namespace talvodesk {

class COptions;
class RowReader;
struct RowContext;

// String-table ids of the series view's texts: the twelve column headers, then the others.
inline constexpr std::uint32_t kSeriesHeaderTexts = 62100;
inline constexpr std::uint32_t kSeriesMissedText = 62112;
inline constexpr std::uint32_t kSeriesGroupTitleText = 62113;
inline constexpr std::uint32_t kSeriesSightingText = 62114;
inline constexpr std::uint32_t kSeriesMatchText = 62115;

/// The scroll bars of the series view: each range is 0 .. maximum, of which a page shows.
struct SeriesScrollBars {
    LONG verticalMaximum = 1;
    LONG verticalPage = 0;
    LONG verticalPosition = 0;
    LONG horizontalMaximum = 1;
    LONG horizontalPage = 0;
    LONG horizontalPosition = 0;
    /// The vertical bar shows (disabled when the content fits) in shot-list mode and hides in series mode.
    bool verticalShown = true;
};

/// What the series view's rules ask of its window and of the frame. The Qt view implements it; tests fake it.
/// Owner thread only.
class SeriesViewHost {
public:
    /// A hidden child window with a target control; null when either cannot be made.
    virtual std::unique_ptr<SerieWindow> createSerieWindow() = 0;
    virtual platform::gfx::Size clientSize() = 0;
    /// The window is on screen; a layout waits until it is.
    virtual bool shown() = 0;
    /// A context that measures text as painting will.
    virtual platform::gfx::DrawContext& measureContext() = 0;
    virtual void setScrollBars(const SeriesScrollBars& bars) = 0;
    /// Repaints the client rectangle now; null repaints everything.
    virtual void repaint(const platform::gfx::Rect* client) = 0;
    /// The frame runs a practice, and that practice is in match mode.
    virtual bool devicePresent() = 0;
    virtual bool matchMode() = 0;
    /// The earliest timer deadline changed: the window arms its one timer for it (none stops it).
    virtual void timersChanged(std::optional<std::chrono::milliseconds> deadline) = 0;
    /// The shot menu at the cursor, its commands going to the frame.
    virtual void showShotMenu() = 0;
    virtual void setRowCursor(bool onRow) = 0;

protected:
    ~SeriesViewHost() = default;
};

/// The series view's behaviour without its window: the sighting and match groups of serie blocks with their
/// targets and shot tables, their two layouts, scrolling, selection by mouse and keys, and the statistics of every
/// row. It is the view the document tells. Owner thread only.
class SeriesViewLogic final : public CView {
public:
    enum class Mouse { Move, LeftDown, DoubleClick, RightDown };

    struct Services {
        SeriesViewHost& host;
        const COptions& options;
        const platform::time::Clock& clock;
        std::function<std::u16string(std::uint32_t)> loadString;
        /// The system's keyboard delay setting (0..3); none when it cannot be read.
        std::optional<int> keyboardDelay;
    };

    explicit SeriesViewLogic(Services services);
    ~SeriesViewLogic() override;

    void OnUpdate(CView* sender, DocumentHint hint, const HintPayload& payload) override;

    // The frame's operations.
    void SetShotListMode(bool shotList);
    bool shotListMode() const { return m_shotListMode; }
    void SetDisplayTraces(bool display);
    bool displayTraces() const { return m_displayTraces; }
    /// A key-down of the view; true when handled.
    bool TranslateNavigationKey(std::uint32_t virtualKey);
    /// Every serie's target of a group that has shots gets the zoom factor; false without a practice.
    bool SetTargetsZoom(float zoom);
    /// Every serie's target takes the options' breach colours and redraws.
    void ApplyBreachColors();
    /// The options changed the shown columns.
    void UpdateColumnVisibility();
    void Rebuild();

    // The window's events.
    void OnSize();
    /// The window came on screen: the layout it missed while hidden.
    void OnShow();
    void OnFocus(bool focused);
    void OnMouse(Mouse kind, platform::gfx::Point client);
    void OnMouseWheel(int delta, int lines);
    void OnContextMenu();
    /// A scroll bar moved to `position` (the whole position, however long the list).
    void OnScrollTo(bool vertical, LONG position);
    /// The window's timer fired.
    void OnTimers();
    /// Paints the groups; `update` is in client coordinates, null for all.
    void Paint(platform::gfx::DrawContext& context, const platform::gfx::Rect* update) const;

    void AppendShot(IAiming* aiming, IShot* shot, bool recomputeGroup = false);
    void FillStatistics(bool recompute, bool sighting, bool match);
    void SetCurrentShot(IShot* shot, bool fromKeyboard, bool force);
    bool ScrollBy(LONG dx, LONG dy, bool apply);

    const CGroup& group(int index) const { return m_groups[static_cast<std::size_t>(index)]; }
    IShot* currentShot() const { return m_current.get(); }
    /// The row under a client point, grown 2 pixels up and down; null for none.
    const CStatisticsRow* RowAt(platform::gfx::Point client) const;
    /// A content rectangle in client coordinates.
    platform::gfx::Rect ToClient(const platform::gfx::Rect& content) const;
    const platform::gfx::Font& normalFont() const { return m_normal; }
    LONG lineHeight() const;

private:
    CTalvoData* document() const { return m_pDocument; }
    bool documentValid() const;
    bool biathlon() const;
    int shotsPerSerie() const;
    void LoadStrings();
    /// The blocks of one group, their windows not made yet.
    void RebuildAimingGroup(int group);
    void RebuildSerieGroup(int group);
    void UpdateVisibility();
    void Layout(bool refresh);
    void LayoutShotList(bool refresh);
    /// The shot list's bars and blocks in view for the client size, its rows where they were laid out.
    void FitShotList(bool refresh);
    /// Each column as wide as its widest shown cell.
    std::array<LONG, kShotListColumns> MeasureColumns(platform::gfx::DrawContext& context) const;
    /// Sets the columns' widths for a pane `width` wide and gives the blocks' target.
    ShotListTarget ShotListColumnsAndTarget(platform::gfx::DrawContext& context, LONG width, LONG line);
    /// Places a block's target and rows from `y`; gives the right edge of its rows.
    LONG PlaceSerie(CSerie& serie, const ShotListTarget& target, LONG y, LONG width, LONG line,
                    platform::gfx::DrawContext& context);
    void LayoutSeries(bool refresh);
    void PlaceWindows(bool refresh);
    void ZoomTargets(bool sighting, bool match);
    void EnsureSelectionVisible();
    bool ScrollIntoView(const platform::gfx::Rect& rect, bool force);
    /// What every row's values are read with now; `event` is the document's.
    RowContext CurrentRowContext(IEventParams* event) const;
    void ComputeRowValues(CStatisticsRow& row, int number, RowReader& reader);
    /// The zoom every target of a group was last given, for the windows made after.
    struct GroupZoom {
        std::optional<std::array<float, 4>> box;
        std::optional<float> factor;
    };

    /// A new serie block in the group, without its window.
    CSerie& CreateSerie(int group, std::optional<long> subTarget);
    /// The block's window, made now with its target showing what the view shows if it was not yet; null when it
    /// cannot be made.
    SerieWindow* EnsureSerieWindow(CSerie& serie, int group);
    static void ShowTotals(ITarget& target, const SerieTarget& state);
    static void ApplyZoom(ITarget& target, const GroupZoom& zoom);
    /// Null until the block's window is made.
    static ITarget* targetOf(const CSerie& serie);
    static void AddAiming(CSerie& serie, IAiming* aiming);
    void RepaintRow(const CStatisticsRow& row);
    void RepaintShotRow(IShot* shot);
    void ArmTimers();

    Services m_services;
    std::array<CGroup, 2> m_groups;
    platform::gfx::Font m_normal;
    platform::gfx::Font m_bold;
    platform::gfx::Font m_largeBold;
    bool m_shotListMode = true;
    bool m_displayTraces = false;
    std::array<std::u16string, kShotListColumns> m_headers;
    std::u16string m_missed;
    std::u16string m_titleFormat;
    std::u16string m_sighting;
    std::u16string m_match;
    platform::com::ComPtr<IShot> m_current;
    bool m_keyboardPending = false;
    WheelAccumulator m_wheel;
    SeriesScrollBars m_bars;
    std::array<GroupZoom, 2> m_zooms;
    bool m_layoutPending = false;
    /// The width the shot list's rows were laid out for, and their extent; none once they may have changed.
    std::optional<LONG> m_shotListWidth;
    platform::gfx::Size m_shotListExtent;
    FrameTimers m_timers;
};

} // namespace talvodesk
