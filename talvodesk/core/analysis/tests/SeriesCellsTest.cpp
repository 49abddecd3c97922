#include "talvodesk/core/analysis/SeriesCells.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/DrawContextQt.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/TextFormat.h"

#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <array>
#include <memory>

namespace talvodesk {
namespace {

using platform::gfx::Rect;

constexpr QRgb kPaper = 0xFF123456; // Neither a cell colour nor a text colour.

/// The rows and columns of `image` inside `area` that differ from `background`.
Rect inkBounds(const QImage& image, const Rect& area, QRgb background)
{
    Rect ink{area.right, area.bottom, area.left, area.top};
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (image.pixel(x, y) != background) {
                ink = {std::min<LONG>(ink.left, x), std::min<LONG>(ink.top, y), std::max<LONG>(ink.right, x + 1),
                       std::max<LONG>(ink.bottom, y + 1)};
            }
        }
    }
    return ink;
}

bool hasColour(const QImage& image, const Rect& area, COLORREF colour)
{
    const QRgb wanted =
        qRgb(platform::gfx::redOf(colour), platform::gfx::greenOf(colour), platform::gfx::blueOf(colour));
    for (int y = area.top; y < area.bottom; ++y) {
        for (int x = area.left; x < area.right; ++x) {
            if (image.pixel(x, y) == wanted) {
                return true;
            }
        }
    }
    return false;
}

class SeriesCellsTest : public testing::Test {
protected:
    SeriesCellsTest() { image.fill(kPaper); }
    ~SeriesCellsTest() override { ShotListColumnTable().viewFocused = false; }

    QImage image{200, 60, QImage::Format_RGB32};
};

TEST_F(SeriesCellsTest, TextSitsUnclippedAtTheTopOfItsContentAndIconsKeepTheirAspect)
{
    platform::gfx::DrawContextQt context(image);
    CTextCell cell;
    cell.rect = {10, 10, 60, 30};
    cell.text = u"888";
    cell.align = platform::gfx::TA_RIGHT;
    cell.DrawIfVisible(context, nullptr);
    const Rect content = cell.GetContentRect();
    const Rect ink = inkBounds(image, {10, 10, 60, 30}, qRgb(0xEE, 0xEE, 0xEE));
    const platform::gfx::TextMetrics metrics = context.textMetrics();
    EXPECT_GE(ink.top, content.top);
    EXPECT_LE(ink.bottom, content.top + metrics.height);
    EXPECT_LE(ink.right, content.right);
    EXPECT_GT(ink.right, content.right - 3);

    // A text wider than its cell runs on past it.
    cell.text = u"8888888888888";
    cell.DrawIfVisible(context, nullptr);
    EXPECT_FALSE(inkBounds(image, {0, 10, 10, 30}, kPaper).isEmpty());

    // An update rectangle elsewhere, a hidden cell and an empty one draw nothing.
    image.fill(kPaper);
    const Rect elsewhere{100, 0, 120, 5};
    cell.DrawIfVisible(context, &elsewhere);
    cell.rect = {10, 10, 10, 30};
    cell.DrawIfVisible(context, nullptr);
    cell.rect = {10, 10, 60, 30};
    cell.visible = false;
    cell.DrawIfVisible(context, nullptr);
    EXPECT_TRUE(inkBounds(image, {0, 0, 200, 60}, kPaper).isEmpty());
    EXPECT_EQ((platform::gfx::Size{6, 2}), cell.MeasureWithMargins(context));

    struct Fit {
        Rect space;
        Rect bounds;
        Rect expected;
    };
    const Fit fits[] = {
        {{0, 0, 100, 20}, {0, 0, 15000, 5000}, {20, 0, 80, 20}}, // narrower picture: shrunk from the sides
        {{0, 0, 30, 30}, {0, 0, 3000, 1000}, {0, 10, 30, 20}},   // wider picture: from top and bottom
        {{0, 0, 30, 30}, {0, 0, 0, 1000}, {0, 0, 30, 30}},       // empty bounds: the whole space
    };
    for (const Fit& fit : fits) {
        EXPECT_EQ(fit.expected, FitIcon(fit.space, fit.bounds)) << fit.bounds.width();
    }
    cell.SetDuration((3600.0 + 12.34) / 86400.0);
    EXPECT_EQ(u"12.3", cell.text);
}

TEST_F(SeriesCellsTest, RedWinsOverGreyAndASelectedRowShowsFocusByHighlightOrDottedFrame)
{
    using platform::gfx::sysColor;
    struct Case {
        bool red;
        bool grey;
        bool selected;
        bool focused;
        COLORREF text;
        bool background;
    };
    const Case cases[] = {
        {false, false, false, false, 0x000000, true},
        {false, true, false, false, sysColor(platform::gfx::COLOR_GRAYTEXT), true},
        {true, true, false, false, 0x0000FF, true},
        {false, true, true, true, sysColor(platform::gfx::COLOR_HIGHLIGHTTEXT), false},
        {true, false, true, true, 0x0000FF, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(&c - cases);
        image.fill(kPaper);
        platform::gfx::DrawContextQt context(image);
        ShotListColumnTable().viewFocused = c.focused;
        CTextCell cell;
        cell.rect = {10, 10, 60, 30};
        cell.text = u"100%";
        cell.red = c.red;
        cell.grey = c.grey;
        cell.selected = c.selected;
        cell.DrawIfVisible(context, nullptr);
        EXPECT_TRUE(hasColour(image, cell.rect, c.text));
        EXPECT_EQ(c.background, hasColour(image, cell.rect, 0xEEEEEE));
    }

    // A selected row of an unfocused view is framed by grey dots; its cells sit 3 pixels apart.
    image.fill(kPaper);
    platform::gfx::DrawContextQt context(image);
    ShotListColumns& table = ShotListColumnTable();
    table.viewFocused = false;
    const ShotListColumns saved = table;
    table.expertMode = false;
    for (auto& column : table.columns) {
        column.width = 30;
    }
    CStatisticsRow row;
    row.Layout({5, 5}, 16, context);
    EXPECT_EQ((Rect{5, 5, 5 + 3 * 30 + 2 * 3, 21}), row.rect);
    EXPECT_EQ(38, row.cells[ColumnResult].rect.left);
    row.SetSelected(true);
    row.DrawIfVisible(context, nullptr);
    EXPECT_TRUE(hasColour(image, {5, 5, 6, 21}, 0x808080));
    for (int column = 0; column < kShotListColumns; ++column) {
        table.setShown(column, false);
    }
    row.Layout({5, 5}, 16, context);
    EXPECT_EQ(0, row.rect.width());
    table = saved;
}

TEST_F(SeriesCellsTest, AMeasuredRowGivesEachCellTheHeightItMeasures)
{
    platform::gfx::DrawContextQt context(image);
    ShotListColumns& table = ShotListColumnTable();
    const ShotListColumns saved = table;
    table.expertMode = true;
    for (int column = 0; column < kShotListColumns; ++column) {
        table.setShown(column, column != ColumnSteadiness9);
    }
    const platform::gfx::Font large{u"Arial", -20};
    const platform::gfx::Font bold{u"Arial", -11, platform::gfx::FW_BOLD};
    const auto icon = std::make_shared<const platform::gfx::Picture>(
        platform::gfx::Picture::fromBitmap(platform::gfx::Bitmap{1, 1, {0}}));
    struct Case {
        const platform::gfx::Font* font;
        bool visible;
        LONG marginY;
        bool icon;
    };
    // Runs of one font broken by another font, a hidden cell, a wider margin, an icon and a column not shown.
    const std::array<Case, kShotListColumns> cases{{
        {&large, true, 1, false},
        {&large, true, 1, true},
        {&large, false, 1, false},
        {&large, true, 1, false},
        {&large, true, 1, false}, // not shown
        {&large, true, 4, false},
        {&large, true, 1, false},
        {nullptr, true, 1, false},
        {&bold, true, 1, false},
        {&bold, false, 1, false},
        {&large, true, 1, true},
        {nullptr, true, 1, false},
    }};
    CStatisticsRow row;
    for (std::size_t column = 0; column < cases.size(); ++column) {
        CTextCell& cell = row.cells[column];
        cell.font = cases[column].font;
        cell.visible = cases[column].visible;
        cell.marginY = cases[column].marginY;
        cell.text = column % 2 == 0 ? u"12.7" : u"Wg";
        cell.icon = cases[column].icon ? icon : nullptr;
    }
    row.Layout({5, 5}, 0, context);
    LONG tallest = 0;
    for (int column = 0; column < kShotListColumns; ++column) {
        if (table.shown(column)) {
            SCOPED_TRACE(column);
            const CTextCell& cell = row.cells[static_cast<std::size_t>(column)];
            EXPECT_EQ(cell.MeasureWithMargins(context).cy, cell.rect.height());
            tallest = std::max(tallest, cell.rect.height());
        }
    }
    EXPECT_EQ(tallest, row.rect.height());
    table = saved;
}

} // namespace
} // namespace talvodesk
