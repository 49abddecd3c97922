#pragma once

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Picture.h"

#include <string>
#include <vector>

namespace platform::gfx::testing {

/// A DrawContext that writes each drawing call, with the selections it draws with, as one line of text.
class CallLog final : public DrawContext {
public:
    std::vector<std::string> calls;
    int saveDepth = 0;

    Resolution resolution() const override { return {}; }
    void polyline(std::span<const Point> points) override { log("polyline" + text(points)); }
    void polygon(std::span<const Point> points) override { log("polygon" + text(points)); }
    void rectangle(const Rect& rect) override { log("rectangle" + text(rect) + penAndBrush()); }
    void ellipse(const Rect& rect) override { log("ellipse" + text(rect) + penAndBrush()); }
    void fillRect(const Rect& rect, COLORREF color) override { log("fillRect" + text(rect) + " " + hex(color)); }
    void shadeRect(const Rect& rect) override { log("shadeRect" + text(rect)); }
    TextMetrics textMetrics() const override { return {}; }
    Size textExtent(std::u16string_view) const override { return {}; }
    void textOut(Point point, std::u16string_view) override
    {
        log("textOut(" + std::to_string(point.x) + "," + std::to_string(point.y) + ") font " +
            std::to_string(state().font.height));
    }
    LONG drawText(std::u16string_view, Rect& rect, UINT format) override
    {
        log("drawText" + text(rect) + " " + hex(format));
        return 0;
    }
    void setClipRect(const Rect& rect) override { log("setClipRect" + text(rect)); }
    void clearClip() override { log("clearClip"); }
    void beginPath() override { log("beginPath"); }
    void endPath() override { log("endPath"); }
    void selectClipPath(ClipCombine combine) override
    {
        log(combine == ClipCombine::Union ? "selectClipPath union" : "selectClipPath replace");
    }
    void drawPicture(const Picture& picture, const Rect& rect) override
    {
        log("drawPicture" + text(rect));
        picture.play(*this, rect);
    }
    void drawBitmap(const Bitmap& bitmap, const Rect& rect) override
    {
        log("drawBitmap " + std::to_string(bitmap.width) + "x" + std::to_string(bitmap.height) + text(rect));
    }

private:
    void onSave() override { ++saveDepth; }
    void onRestore() override { --saveDepth; }

    void log(std::string call) { calls.push_back(std::move(call)); }
    static std::string hex(COLORREF value)
    {
        static const char* const kDigits = "0123456789ABCDEF";
        std::string digits;
        for (int shift = 20; shift >= 0; shift -= 4) {
            digits += kDigits[(value >> shift) & 0xF];
        }
        return digits;
    }
    static std::string text(const Rect& rect)
    {
        return "(" + std::to_string(rect.left) + "," + std::to_string(rect.top) + "," + std::to_string(rect.right) +
               "," + std::to_string(rect.bottom) + ")";
    }
    static std::string text(std::span<const Point> points)
    {
        std::string out;
        for (const Point& point : points) {
            out += " " + std::to_string(point.x) + "," + std::to_string(point.y);
        }
        return out;
    }
    std::string penAndBrush() const
    {
        const Pen& pen = state().pen;
        const Brush& brush = state().brush;
        return " pen " + std::to_string(static_cast<int>(pen.style)) + "/" + std::to_string(pen.width) + "/" +
               hex(pen.color) + " brush " +
               (brush.style == BrushStyle::Hollow ? std::string("hollow") : hex(brush.color));
    }
};

} // namespace platform::gfx::testing
