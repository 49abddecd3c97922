#pragma once

#include "platform/com/Types.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>
#include <span>

struct ITargetParams;

namespace talvodesk {

/// Where the shot list puts a serie's target: beside its table when both fit the pane, else above it.
struct ShotListTarget {
    LONG width = 0;
    LONG height = 0;
    bool sideBySide = false;
};

/// The target of a serie block in a pane `clientWidth` wide, for a table `tableWidth` wide and lines
/// `lineHeight` high. The biathlon plate takes the whole width at the aspect of its form.
ShotListTarget ShotListTargetSize(LONG clientWidth, LONG tableWidth, LONG lineHeight, bool biathlon,
                                  float formWidth = 0, float formHeight = 0);

/// Hands `spare` pixels out one at a time to the shown columns in column order, wrapping round.
void SpreadSpareWidth(std::span<LONG> widths, std::span<const bool> shown, LONG spare);

/// The series mode's grid: `columns` x `rows` squares of side `size`, stretched to cells that fill the pane with
/// 5-pixel gaps.
struct SeriesGrid {
    int columns = 1;
    int rows = 1;
    LONG size = 0;
    LONG cellWidth = 0;
    LONG cellHeight = 0;
};
inline constexpr LONG kSeriesGridGap = 5;

/// The grid with the largest squares for `series` targets; among equal squares the one whose last row holds more
/// targets, a full last row counting as the column count.
SeriesGrid ChooseSeriesGrid(int series, LONG width, LONG height);

/// The mouse wheel's notches, kept until they make whole steps of 20 pixels.
class WheelAccumulator {
public:
    static constexpr int kNotch = 120;
    static constexpr LONG kStep = 20;

    /// The vertical scroll in pixels (negative: up) for a wheel `delta`; `lines` is the system's lines per notch,
    /// -1 when it scrolls by pages.
    LONG scroll(int delta, int lines);
    int pending() const { return m_accumulated; }

private:
    int m_accumulated = 0;
};

/// What a key does in the series view.
struct SeriesKey {
    enum class Action { None, Replay, Scroll, Step };
    Action action = Action::None;
    /// Scroll: the horizontal pixels; Step: the navigation step of the document (-3..3).
    int amount = 0;
};
SeriesKey MapSeriesKey(std::uint32_t virtualKey);

/// How long keyboard selection waits before the other views hear of it: the system's keyboard delay (0..3) + 1
/// quarter seconds; a quarter second when the delay is not known.
std::chrono::milliseconds KeyboardSelectionDelay(std::optional<int> keyboardDelay);

/// The first radius of `radii` (rings from the inner wanted one outwards) that holds `extent`; `extent` itself when
/// none does.
float FirstRadiusHolding(float extent, std::span<const float> radii);
/// The radius of the first ring of `face`, from ring `innerRing` out to ring 1, that holds `extent`: a zoom or scale
/// snapped to the face's rings. `extent` itself when none does or without a face; an unreadable ring is passed over.
float RingRadiusHolding(ITargetParams* face, LONG innerRing, float extent);

/// The scroll position that brings rows `top`..`bottom` (content coordinates) into a client `clientHeight` high
/// now scrolled to `position`, moving as little as possible. Nothing when the rows are taller than the client
/// and `force` is not set.
std::optional<LONG> ScrollIntoView(LONG top, LONG bottom, LONG position, LONG clientHeight, bool force);

/// A scroll position kept within 0 .. maximum - page + 1.
LONG ClampScroll(LONG position, LONG maximum, LONG page);

} // namespace talvodesk
