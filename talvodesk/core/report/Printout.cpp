#include "talvodesk/core/report/Printout.h"

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Letterbox.h"
#include "platform/gfx/TextFormat.h"

namespace talvodesk {

using platform::gfx::DrawContext;
using platform::gfx::Rect;
using platform::gfx::Size;
using platform::gfx::StateSaver;

void CPrintoutCell::DrawIfVisible(DrawContext& context) const
{
    if (visible && rect.width() != 0 && rect.height() != 0) {
        Draw(context);
    }
}

void CPrintoutTextCell::Draw(DrawContext& context) const
{
    if (text.empty()) {
        return;
    }
    const StateSaver saver(context);
    if (font) {
        context.setFont(*font);
    }
    Rect textRect{rect.left + horizontalMargin, rect.top + verticalMargin, rect.right - horizontalMargin,
                  rect.bottom - verticalMargin};
    if (color != kNoFill) {
        context.fillRect(rect, color);
    }
    context.setTextColor(textColor);
    context.setBackgroundMode(platform::gfx::BackgroundMode::Transparent);
    (void)context.drawText(text, textRect, format); // a text that cannot be laid out is left undrawn
}

Size CPrintoutTextCell::Measure(DrawContext& context, LONG widthLimit) const
{
    if (!visible) {
        return {};
    }
    const StateSaver saver(context);
    if (font) {
        context.setFont(*font);
    }
    constexpr LONG kUnlimited = 32767;
    Rect layout{0, 0, widthLimit < 1 ? kUnlimited : widthLimit, 0};
    (void)context.drawText(text, layout, format | platform::gfx::DT_CALCRECT); // unmeasurable text needs no room
    return {layout.width() + 2 * horizontalMargin, layout.height() + 2 * verticalMargin};
}

void CPrintoutBarCell::Draw(DrawContext& context) const
{
    if (color != kNoFill) {
        context.fillRect(rect, color);
    }
}

void CPrintoutRectangleCell::Draw(DrawContext& context) const
{
    const StateSaver saver(context);
    context.setPen({platform::gfx::PenStyle::Solid, 0, 0x000000});
    context.setBrush({platform::gfx::BrushStyle::Hollow});
    context.rectangle(rect);
}

void CPrintoutPictureCell::Draw(DrawContext& context) const
{
    if (!picture) {
        return;
    }
    // The saver takes the clip off again, so later cells are not clipped.
    const StateSaver saver(context);
    if (clip.width() != 0 && clip.height() != 0) {
        context.setClipRect(clip);
    }
    (void)picture->Render(&context, rect.left, rect.top, rect.width(), rect.height()); // a failed picture is skipped
}

Rect CPrintoutMetaCell::FitRect(const Rect& cell, const Rect& bounds)
{
    return platform::gfx::letterbox(cell, bounds.width(), bounds.height());
}

void CPrintoutMetaCell::Draw(DrawContext& context) const
{
    if (metafile) {
        context.drawPicture(*metafile, FitRect(rect, metafile->bounds()));
    }
}

void DrawPrintoutPage(const PrintoutPage& page, DrawContext& context)
{
    for (const auto& cell : page.cells) {
        cell->DrawIfVisible(context);
    }
}

} // namespace talvodesk
