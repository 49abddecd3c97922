#include "talvodesk/core/report/ReportLayout.h"

#include "talvodesk/core/analysis/SeriesRules.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/options/TextFormat.h"

#include "interfaces/talvodata/IShot.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/ComPtr.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/MulDiv.h"
#include "platform/gfx/TextFormat.h"
#include "platform/text/Ascii.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace talvodesk {

using platform::gfx::Font;
using platform::gfx::MulDiv;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::Size;

namespace {

constexpr COLORREF kHeaderGrey = 0x808080;
constexpr COLORREF kBlack = 0x000000;
constexpr LONG kTitleShare = 55; // percent of the row left of the gap

Font fontOf(std::u16string_view face, LONG points, LONG dpiY, LONG weight)
{
    Font font;
    font.faceName = std::u16string(face);
    font.height = -MulDiv(points, dpiY, 72);
    font.weight = weight;
    return font;
}

} // namespace

Rect ReportPageRect(const PrinterPage& page, const PageMargins& margins)
{
    Rect rect{0, 0, page.printableWidth(), page.printableHeight()};
    const auto beyond = [](LONG margin, LONG dpi, LONG offset) {
        return std::max<LONG>(0, MulDiv(margin, dpi, 2540) - offset);
    };
    rect.left += beyond(margins.left, page.dpi.x, page.offsetX);
    rect.right -= beyond(margins.right, page.dpi.x, page.offsetRight);
    rect.top += beyond(margins.top, page.dpi.y, page.offsetY);
    rect.bottom -= beyond(margins.bottom, page.dpi.y, page.offsetBottom);
    return rect;
}

ReportFonts MakeReportFonts(std::u16string_view face, LONG dpiY)
{
    ReportFonts fonts;
    fonts.normal = fontOf(face, 12, dpiY, platform::gfx::FW_NORMAL);
    fonts.vertical = fonts.normal;
    fonts.vertical.escapement = 900;
    fonts.bold = fontOf(face, 12, dpiY, platform::gfx::FW_BOLD);
    fonts.heading = fontOf(face, 14, dpiY, platform::gfx::FW_BOLD);
    fonts.header = fontOf(u"Times New Roman", 12, dpiY, platform::gfx::FW_BOLD);
    fonts.header.italic = true;
    return fonts;
}

ReportUnits ReportUnitsFor(platform::gfx::Resolution dpi)
{
    ReportUnits units;
    units.gapX = MulDiv(12, dpi.x, 72);
    units.gapY = MulDiv(12, dpi.y, 72);
    units.pad = MulDiv(4, dpi.x, 72);
    units.onePoint = MulDiv(1, dpi.y, 72);
    units.halfPoint = units.onePoint / 2;
    return units;
}

LONG ReportLineHeight(platform::gfx::DrawContext& printer, const Font& font, const ReportUnits& units)
{
    const platform::gfx::StateSaver saver(printer);
    printer.setFont(font);
    const platform::gfx::TextMetrics metrics = printer.textMetrics();
    return metrics.height + metrics.internalLeading + 2 * units.halfPoint;
}

void CalcPrintTargetExtent(IEventParams& event, long eventCode, IShotCollection& shots, float& halfWidth,
                           float& halfHeight)
{
    halfWidth = 0;
    halfHeight = 0;
    platform::com::ComPtr<ITargetParams> face;
    if (FAILED(event.get_Target(1, face.put())) || !face) {
        return;
    }
    if (eventCode == kBiathlonEventCode) {
        float width = 0;
        float height = 0;
        (void)face->get_FormWidth(&width); // an unreadable form prints no area around the centre
        (void)face->get_FormHeight(&height);
        halfWidth = width / 2;
        halfHeight = height / 2;
        return;
    }
    float maxX = 0;
    float maxY = 0;
    LONG count = 0;
    (void)shots.get_Count(&count); // an unreadable collection has no breaches
    for (LONG index = 1; index <= count; ++index) {
        platform::com::ComPtr<IShot> shot;
        float x = 0;
        float y = 0;
        if (SUCCEEDED(shots.get_Item(index, shot.put())) && shot && SUCCEEDED(shot->Breach(&x, &y))) {
            maxX = std::max(maxX, std::abs(x));
            maxY = std::max(maxY, std::abs(y));
        }
    }
    float caliber = 0;
    if (FAILED(event.get_DisplayCaliber(&caliber)) || caliber == 0.0F) {
        (void)event.get_Caliber(&caliber); // no calibre adds nothing
    }
    maxX += caliber / 2;
    maxY += caliber / 2;
    const float extent = std::max(RingRadiusHolding(face.get(), /*innerRing=*/9, maxX),
                                  RingRadiusHolding(face.get(), /*innerRing=*/9, maxY));
    halfWidth = extent;
    halfHeight = extent;
}

ReportBuilder::ReportBuilder(platform::gfx::DrawContext& printer, const PrinterPage& page, const PageMargins& margins,
                             const ReportFonts& fonts, ReportHeaderTexts header, Printout& printout)
    : m_printer(printer), m_pageRect(ReportPageRect(page, margins)), m_fonts(fonts), m_header(std::move(header)),
      m_printout(printout), m_units(ReportUnitsFor(page.dpi))
{
    m_header.shooter = ShownText(m_header.shooter, kShownNameLength);
    m_header.event = ShownText(m_header.event, kShownNameLength);
}

void ReportBuilder::begin(std::u16string_view extra)
{
    m_printout.clear();
    m_printout.emplace_back();
    m_layout = m_pageRect;
    m_nextPage = 2;
    addHeader(1, extra);
}

void ReportBuilder::newPage()
{
    m_printout.emplace_back();
    m_layout = m_pageRect;
    addHeader(m_nextPage++, {});
}

void ReportBuilder::ensureRoom(LONG height)
{
    if (height > m_layout.bottom - m_layout.top) {
        newPage();
    }
}

CPrintoutTextCell& ReportBuilder::addText(const Font& font, std::u16string text, Point at, LONG widthLimit, UINT format)
{
    auto& cell = page().add<CPrintoutTextCell>();
    cell.font = font;
    cell.text = text.size() > kShownTextLength ? ShownText(text, kShownTextLength) : std::move(text);
    cell.format = format;
    const Size size = cell.Measure(m_printer, widthLimit);
    cell.rect = {at.x, at.y, at.x + size.cx, at.y + size.cy};
    return cell;
}

void ReportBuilder::addHeader(int number, std::u16string_view extra)
{
    Rect& r = m_layout;
    const auto placeRight = [&r](CPrintoutTextCell& cell, LONG top) {
        const LONG width = cell.rect.width();
        const LONG height = cell.rect.height();
        cell.rect = {r.right - width, top, r.right, top + height};
    };
    auto& title = addText(m_fonts.header, m_header.title, {}, 0);
    title.textColor = kHeaderGrey;
    placeRight(title, r.top);
    r.top += title.rect.height();

    auto& pageNumber =
        addText(m_fonts.header, platform::text::widenAscii(platform::text::formatC("%i", number)), {}, 0);
    pageNumber.textColor = kHeaderGrey;
    placeRight(pageNumber, r.bottom - pageNumber.rect.height());
    r.bottom -= pageNumber.rect.height();

    addText(m_fonts.heading, m_header.shooter, {r.left, r.top}, 0);
    auto& date = addText(m_fonts.heading, m_header.date, {}, 0);
    placeRight(date, r.top);
    r.top += date.rect.height();

    const LONG eventHeight = addText(m_fonts.heading, m_header.event, {r.left, r.top}, 0).rect.height();
    LONG extraHeight = 0;
    if (!extra.empty()) {
        auto& extraCell = addText(m_fonts.heading, std::u16string(extra), {}, 0);
        placeRight(extraCell, r.top);
        extraHeight = extraCell.rect.height();
    }
    r.top += std::max(eventHeight, extraHeight);

    auto& rule = page().add<CPrintoutBarCell>();
    rule.color = kBlack;
    rule.rect = {r.left, r.top, r.right, r.top + m_units.onePoint};
    r.top += m_units.onePoint;

    r.top += m_units.gapY;
    r.bottom -= m_units.gapY;
}

void ReportBuilder::addTitleValueRow(std::u16string_view title, std::u16string_view value)
{
    const LONG width = m_layout.width();
    const LONG titleWidth = (width - m_units.gapX) * kTitleShare / 100;
    const LONG valueWidth = width - titleWidth - m_units.gapX;
    CPrintoutTextCell titleCell;
    titleCell.font = m_fonts.bold;
    titleCell.text = std::u16string(title);
    CPrintoutTextCell valueCell;
    valueCell.font = m_fonts.normal;
    valueCell.text = std::u16string(value);
    const Size titleSize = titleCell.Measure(m_printer, titleWidth);
    const Size valueSize = valueCell.Measure(m_printer, valueWidth);
    const LONG height = std::max(titleSize.cy, valueSize.cy);
    ensureRoom(height);
    const LONG top = m_layout.top;
    titleCell.rect = {m_layout.left, top, m_layout.left + titleSize.cx, top + titleSize.cy};
    const LONG valueLeft = m_layout.left + titleWidth + m_units.gapX;
    valueCell.rect = {valueLeft, top, valueLeft + valueSize.cx, top + valueSize.cy};
    page().cells.push_back(std::make_unique<CPrintoutTextCell>(std::move(titleCell)));
    page().cells.push_back(std::make_unique<CPrintoutTextCell>(std::move(valueCell)));
    m_layout.top += height;
}

} // namespace talvodesk
