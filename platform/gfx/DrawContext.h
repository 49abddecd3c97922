#pragma once

#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <span>
#include <string_view>
#include <vector>

namespace platform::gfx {

struct Bitmap;
class Picture;

enum class ClipCombine {
    Replace,
    Union,
};

/// The selections and modes of a context; a new context starts with these values.
struct DrawState {
    Pen pen;
    Brush brush;
    Font font = defaultGuiFont();
    COLORREF textColor = 0x000000;
    COLORREF backgroundColor = 0xFFFFFF;
    BackgroundMode backgroundMode = BackgroundMode::Opaque;
    UINT textAlign = 0;
    RasterOp rasterOp = RasterOp::CopyPen;
    /// Added to every logical coordinate to give the device coordinate.
    Point viewportOrigin;
    Point currentPosition;
};

/// A drawing surface with the meanings of a Windows device context: COLORREF colours, pens that leave out the last
/// pixel of a one-pixel line, rectangles and ellipses that exclude their right and bottom edges, inside-frame pens,
/// raster operations, DrawText layout and clip paths. Coordinates are logical; the viewport origin moves them to the
/// device. Owner thread only.
class DrawContext {
public:
    virtual ~DrawContext() = default;
    DrawContext(const DrawContext&) = delete;
    DrawContext& operator=(const DrawContext&) = delete;

    const DrawState& state() const { return m_state; }
    void setPen(const Pen& pen) { m_state.pen = pen; }
    void setBrush(const Brush& brush) { m_state.brush = brush; }
    void setFont(const Font& font) { m_state.font = font; }
    void setTextColor(COLORREF color) { m_state.textColor = color; }
    void setBackgroundColor(COLORREF color) { m_state.backgroundColor = color; }
    void setBackgroundMode(BackgroundMode mode) { m_state.backgroundMode = mode; }
    /// TA_ flags (TextFormat.h) for textOut.
    void setTextAlign(UINT flags) { m_state.textAlign = flags; }
    void setRasterOp(RasterOp op) { m_state.rasterOp = op; }
    void setViewportOrigin(Point origin) { m_state.viewportOrigin = origin; }

    /// Pushes the state and the clip; pair with restore() through StateSaver.
    void save();
    /// Pops what the last save() pushed; without one it is a programmer error.
    void restore();

    /// Dots per inch of the device, for point sizes (LOGPIXELSX, LOGPIXELSY).
    virtual Resolution resolution() const = 0;

    void moveTo(Point point) { m_state.currentPosition = point; }
    /// A line from the current position with the pen, which becomes the new current position.
    void lineTo(Point point);
    /// Joined lines with the pen; fewer than two points draw nothing.
    virtual void polyline(std::span<const Point> points) = 0;
    /// A closed figure filled with the brush (alternate rule) and outlined with the pen.
    virtual void polygon(std::span<const Point> points) = 0;
    /// Outlined with the pen and filled with the brush; with the null pen the filled area is one pixel smaller
    /// on the right and at the bottom.
    virtual void rectangle(const Rect& rect) = 0;
    /// The ellipse inscribed in rect, with the rules of rectangle().
    virtual void ellipse(const Rect& rect) = 0;
    /// Fills rect with a solid colour, whatever the pen, brush and raster operation.
    virtual void fillRect(const Rect& rect, COLORREF color) = 0;
    /// Shades rect for a label behind text: an 8 x 8 pattern of rows alternately 0x55 and 0xAA (most significant bit
    /// leftmost, aligned to the device origin) makes a pixel grey 0x808080 where its bit is 0 and ORs 0x808080 into
    /// it where its bit is 1.
    virtual void shadeRect(const Rect& rect) = 0;

    virtual TextMetrics textMetrics() const = 0;
    /// The advance width of a line of text and the font's height, whatever the text.
    virtual Size textExtent(std::u16string_view text) const = 0;
    /// Draws one line at point, placed by the TA_ flags, in the text colour, over a background-colour box when the
    /// background mode is opaque, turned by the font's escapement about point.
    virtual void textOut(Point point, std::u16string_view text) = 0;
    /// DrawText: lays text out in rect with the DT_ flags (TextLayout.h) and returns its height. With DT_CALCRECT
    /// it only sets rect to the size of the text. Clipped to rect unless DT_NOCLIP. The TA_ flags and the escapement
    /// play no part. Returns 0 when it cannot measure.
    virtual LONG drawText(std::u16string_view text, Rect& rect, UINT format) = 0;

    /// Clip paths and rectangles are fixed in device coordinates when selected, and play inside the clip a
    /// picture was drawn with.
    virtual void setClipRect(const Rect& rect) = 0;
    virtual void clearClip() = 0;
    /// Between beginPath() and endPath() figures (rectangles, ellipses, polygons, polylines) build the path instead
    /// of drawing; a path holds the pixels the figure would fill.
    virtual void beginPath() = 0;
    virtual void endPath() = 0;
    /// Makes the path the clip (Replace) or adds it to the clip (Union), then discards it. Without a closed path it
    /// does nothing.
    virtual void selectClipPath(ClipCombine combine) = 0;

    /// Plays a picture upright, scaled from its bounds into rect, inside the current clip; a bitmap picture is
    /// stretched.
    virtual void drawPicture(const Picture& picture, const Rect& rect) = 0;
    /// Stretches a bitmap over rect.
    virtual void drawBitmap(const Bitmap& bitmap, const Rect& rect) = 0;

protected:
    DrawContext() = default;

    Point toDevice(Point point) const
    {
        return {point.x + m_state.viewportOrigin.x, point.y + m_state.viewportOrigin.y};
    }
    Rect toDevice(const Rect& rect) const { return rect.translated(m_state.viewportOrigin); }

    /// Backends push and pop what they keep beside DrawState (the clip).
    virtual void onSave() = 0;
    virtual void onRestore() = 0;

private:
    DrawState m_state;
    std::vector<DrawState> m_saved;
};

/// Saves a context's state and clip, restoring them when it goes out of scope.
class StateSaver {
public:
    explicit StateSaver(DrawContext& context) : m_context(context) { m_context.save(); }
    ~StateSaver() { m_context.restore(); }
    StateSaver(const StateSaver&) = delete;
    StateSaver& operator=(const StateSaver&) = delete;

private:
    DrawContext& m_context;
};

} // namespace platform::gfx
