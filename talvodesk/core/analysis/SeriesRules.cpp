#include "talvodesk/core/analysis/SeriesRules.h"

#include "interfaces/talvodata/ITargetParams.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace talvodesk {

namespace {

// Virtual-key codes of the navigation keys.
constexpr std::uint32_t kKeySpace = 0x20;
constexpr std::uint32_t kKeyPageUp = 0x21;
constexpr std::uint32_t kKeyPageDown = 0x22;
constexpr std::uint32_t kKeyEnd = 0x23;
constexpr std::uint32_t kKeyHome = 0x24;
constexpr std::uint32_t kKeyLeft = 0x25;
constexpr std::uint32_t kKeyUp = 0x26;
constexpr std::uint32_t kKeyRight = 0x27;
constexpr std::uint32_t kKeyDown = 0x28;
constexpr int kKeyScroll = 10;

} // namespace

ShotListTarget ShotListTargetSize(LONG clientWidth, LONG tableWidth, LONG lineHeight, bool biathlon, float formWidth,
                                  float formHeight)
{
    if (biathlon) {
        const LONG height = formWidth > 0 ? std::lround(static_cast<double>(clientWidth) * formHeight / formWidth) : 0;
        return {clientWidth, height, false};
    }
    const LONG tableHeight = 10 * lineHeight + 21;
    if (tableHeight + tableWidth <= clientWidth) {
        return {clientWidth - tableWidth, 11 * lineHeight + 30, true};
    }
    return {std::min(clientWidth, tableHeight * 12 / 10), tableHeight, false};
}

void SpreadSpareWidth(std::span<LONG> widths, std::span<const bool> shown, LONG spare)
{
    const std::size_t count = std::min(widths.size(), shown.size());
    if (spare <= 0 ||
        std::none_of(shown.begin(), shown.begin() + static_cast<std::ptrdiff_t>(count), [](bool s) { return s; })) {
        return;
    }
    for (std::size_t column = 0; spare > 0; column = (column + 1) % count) {
        if (shown[column]) {
            ++widths[column];
            --spare;
        }
    }
}

SeriesGrid ChooseSeriesGrid(int series, LONG width, LONG height)
{
    SeriesGrid best;
    // A full last row counts as the column count, so of two grids with equal squares the one that leaves fewer
    // holes wins.
    const auto lastRow = [series](int columns) { return series % columns == 0 ? columns : series % columns; };
    for (int columns = 1; columns <= series; ++columns) {
        const int rows = (series + columns - 1) / columns;
        const LONG size =
            std::min((width - kSeriesGridGap * (columns - 1)) / columns, (height - kSeriesGridGap * (rows - 1)) / rows);
        if (size > best.size || (size == best.size && lastRow(columns) > lastRow(best.columns))) {
            best.columns = columns;
            best.rows = rows;
            best.size = size;
        }
    }
    best.cellWidth =
        best.size + (width - best.columns * best.size - kSeriesGridGap * (best.columns - 1)) / best.columns;
    best.cellHeight = best.size + (height - best.rows * best.size - kSeriesGridGap * (best.rows - 1)) / best.rows;
    return best;
}

LONG WheelAccumulator::scroll(int delta, int lines)
{
    m_accumulated += delta;
    const long magnitude = std::labs(m_accumulated);
    const long n = lines == -1 ? magnitude : magnitude * lines;
    long steps = 0;
    for (long counter = 0; counter < n; counter += kNotch) {
        ++steps;
    }
    const LONG pixels = static_cast<LONG>(steps) * kStep * (m_accumulated > 0 ? -1 : 1);
    m_accumulated %= kNotch;
    return pixels;
}

SeriesKey MapSeriesKey(std::uint32_t virtualKey)
{
    using Action = SeriesKey::Action;
    switch (virtualKey) {
    case kKeySpace:
        return {Action::Replay, 0};
    case kKeyLeft:
        return {Action::Scroll, -kKeyScroll};
    case kKeyRight:
        return {Action::Scroll, kKeyScroll};
    case kKeyUp:
        return {Action::Step, -1};
    case kKeyDown:
        return {Action::Step, 1};
    case kKeyPageUp:
        return {Action::Step, -2};
    case kKeyPageDown:
        return {Action::Step, 2};
    case kKeyHome:
        return {Action::Step, -3};
    case kKeyEnd:
        return {Action::Step, 3};
    default:
        return {};
    }
}

std::chrono::milliseconds KeyboardSelectionDelay(std::optional<int> keyboardDelay)
{
    return std::chrono::milliseconds(keyboardDelay ? (std::clamp(*keyboardDelay, 0, 3) + 1) * 250 : 250);
}

float FirstRadiusHolding(float extent, std::span<const float> radii)
{
    for (const float radius : radii) {
        if (radius >= extent) {
            return radius;
        }
    }
    return extent;
}

float RingRadiusHolding(ITargetParams* face, LONG innerRing, float extent)
{
    std::vector<float> radii;
    for (LONG ring = innerRing; face && ring >= 1; --ring) {
        float diameter = 0;
        if (SUCCEEDED(face->get_Ring(ring, &diameter))) {
            radii.push_back(diameter / 2);
        }
    }
    return FirstRadiusHolding(extent, radii);
}

std::optional<LONG> ScrollIntoView(LONG top, LONG bottom, LONG position, LONG clientHeight, bool force)
{
    if (!force && bottom - top > clientHeight) {
        return std::nullopt;
    }
    if (top < position) {
        return top;
    }
    if (bottom > position + clientHeight) {
        return bottom - clientHeight;
    }
    return position;
}

LONG ClampScroll(LONG position, LONG maximum, LONG page)
{
    return std::clamp<LONG>(position, 0, std::max<LONG>(0, maximum - page + 1));
}

} // namespace talvodesk
