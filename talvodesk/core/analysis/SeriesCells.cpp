#include "talvodesk/core/analysis/SeriesCells.h"

#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Letterbox.h"
#include "platform/gfx/TextFormat.h"
#include "platform/text/Ascii.h"
#include "platform/text/Number.h"

#include <cmath>

namespace talvodesk {

using namespace platform::gfx;

namespace {

constexpr COLORREF kRed = 0x0000FF;
constexpr COLORREF kDottedFrame = 0x808080;
constexpr LONG kColumnGap = 3;

} // namespace

void ShotListColumns::reset()
{
    // Simple mode shows the number, the result and the time; expert mode starts from the options' defaults.
    constexpr std::array<bool, kShotListColumns> kExpert{true,  true, true,  false, false, true,
                                                         false, true, false, true,  true,  true};
    for (int column = 0; column < kShotListColumns; ++column) {
        ShotListColumnInfo& info = columns[static_cast<std::size_t>(column)];
        info.simple = column <= ColumnTime;
        info.expert = kExpert[static_cast<std::size_t>(column)];
        info.align = column == ColumnIndex ? TA_LEFT : TA_RIGHT;
        info.width = 0;
    }
}

ShotListColumns& ShotListColumnTable()
{
    static ShotListColumns table = [] {
        ShotListColumns initial;
        initial.reset();
        return initial;
    }();
    return table;
}

void CCell::DrawIfVisible(DrawContext& context, const Rect* update) const
{
    if (!visible || rect.width() == 0 || rect.height() == 0 || (update && !update->intersects(rect))) {
        return;
    }
    Draw(context, update);
}

Size CCell::MeasureWithMargins(DrawContext& context) const
{
    Size size = visible ? Measure(context) : Size{};
    size.cx += 2 * marginX;
    size.cy += 2 * marginY;
    return size;
}

Rect CTextCell::GetContentRect() const
{
    return {rect.left + marginX, rect.top + marginY, rect.right - marginX, rect.bottom - marginY};
}

void CTextCell::SetTenths(float value)
{
    // "%3.1f": one decimal is three characters at least, so the width never pads.
    text = platform::text::widenAscii(platform::text::formatFixed(static_cast<double>(value), 1));
}

void CTextCell::SetDuration(double days)
{
    double hours = days * 24;
    const double seconds = (hours - std::floor(hours)) * 60 * 60;
    // "%02.1f", whose width never pads either.
    text = platform::text::widenAscii(platform::text::formatFixed(static_cast<double>(static_cast<float>(seconds)), 1));
}

Rect FitIcon(const Rect& space, const Rect& bounds)
{
    return letterbox(space, bounds.width(), bounds.height());
}

void CTextCell::Draw(DrawContext& context, const Rect* /*update*/) const
{
    const Rect content = GetContentRect();
    COLORREF color = textColor;
    if (selected && ShotListColumnTable().viewFocused) {
        // The row painted the highlight.
        color = red ? kRed : sysColor(COLOR_HIGHLIGHTTEXT);
    } else {
        context.fillRect(rect, background);
        color = red ? kRed : (grey ? sysColor(COLOR_GRAYTEXT) : textColor);
    }
    if (icon && !icon->isEmpty()) {
        Rect space = content;
        space.bottom -= 1;
        context.drawPicture(*icon, FitIcon(space, icon->bounds()));
        return;
    }
    if (text.empty()) {
        return;
    }
    StateSaver saved(context);
    if (font) {
        context.setFont(*font);
    }
    context.setTextColor(color);
    context.setBackgroundMode(BackgroundMode::Transparent);
    context.setTextAlign(align);
    LONG x = content.left;
    if ((align & TA_CENTER) == TA_CENTER) {
        x = (content.left + content.right) / 2;
    } else if ((align & TA_RIGHT) != 0) {
        x = content.right;
    }
    context.textOut({x, content.top}, text);
}

// No size is kept per cell: a long practice has tens of thousands of cells, and the Qt measure keeps the width of
// every text it measured.
Size CTextCell::Measure(DrawContext& context) const
{
    StateSaver saved(context);
    if (font) {
        context.setFont(*font);
    }
    if (icon && !icon->isEmpty()) {
        const LONG height = context.textExtent(u"ABC").cy;
        const Rect& bounds = icon->bounds();
        const LONG width = bounds.height() == 0 ? 1 : bounds.width() * height / bounds.height() + 1;
        return {width, height};
    }
    return context.textExtent(text);
}

CStatisticsRow::CStatisticsRow()
{
    const ShotListColumns& table = ShotListColumnTable();
    for (std::size_t column = 0; column < cells.size(); ++column) {
        cells[column].align = table.columns[column].align;
    }
}

void CStatisticsRow::SetShot(IAiming* newAiming, IShot* newShot)
{
    aiming = platform::com::ComPtr<IAiming>(newAiming);
    shot = platform::com::ComPtr<IShot>(newShot);
    visible = newShot != nullptr;
    values = RowValues{};
    values.missed = VARIANT_TRUE;
}

void CStatisticsRow::SetSelected(bool select)
{
    selected = select;
    for (CTextCell& cell : cells) {
        cell.selected = select;
    }
}

void CStatisticsRow::Layout(Point origin, LONG height, DrawContext& context)
{
    const ShotListColumns& table = ShotListColumnTable();
    rect = {origin.x, origin.y, origin.x, origin.y};
    LONG x = origin.x;
    LONG tallest = 0;
    bool first = true;
    // A shown cell is as tall as its font whatever its text or icon, so the cells sharing a font and margin measure
    // once.
    const CTextCell* measured = nullptr;
    LONG measuredHeight = 0;
    const auto heightOf = [&](const CTextCell& cell) {
        if (measured && cell.visible && cell.font == measured->font && cell.marginY == measured->marginY) {
            return measuredHeight;
        }
        const LONG cellHeight = cell.MeasureWithMargins(context).cy;
        if (cell.visible) {
            measured = &cell;
            measuredHeight = cellHeight;
        }
        return cellHeight;
    };
    for (int column = 0; column < kShotListColumns; ++column) {
        if (!table.shown(column)) {
            continue;
        }
        if (!first) {
            x += kColumnGap;
        }
        first = false;
        CTextCell& cell = cells[static_cast<std::size_t>(column)];
        const LONG cellHeight = height != 0 ? height : heightOf(cell);
        cell.rect = {x, origin.y, x + table.columns[static_cast<std::size_t>(column)].width, origin.y + cellHeight};
        x = cell.rect.right;
        rect.right = x;
        tallest = std::max(tallest, cellHeight);
    }
    rect.bottom = origin.y + tallest;
}

void CStatisticsRow::Draw(DrawContext& context, const Rect* update) const
{
    const ShotListColumns& table = ShotListColumnTable();
    if (selected && table.viewFocused) {
        context.fillRect(rect, sysColor(COLOR_HIGHLIGHT));
    }
    for (int column = 0; column < kShotListColumns; ++column) {
        if (table.shown(column)) {
            cells[static_cast<std::size_t>(column)].DrawIfVisible(context, update);
        }
    }
    if (selected && !table.viewFocused) {
        StateSaver saved(context);
        context.setPen(Pen{PenStyle::Dot, 1, kDottedFrame});
        context.setBrush(Brush{BrushStyle::Hollow, 0});
        context.rectangle(rect);
    }
}

void CSerie::Draw(DrawContext& context, const Rect* update) const
{
    header.DrawIfVisible(context, update);
    for (const CStatisticsRow& row : rows) {
        row.DrawIfVisible(context, update);
    }
    total.DrawIfVisible(context, update);
}

void CGroup::Draw(DrawContext& context, const Rect* update) const
{
    title.DrawIfVisible(context, update);
    for (const auto& serie : series) {
        serie->DrawIfVisible(context, update);
    }
    total.DrawIfVisible(context, update);
}

} // namespace talvodesk
