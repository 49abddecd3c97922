#include "platform/gfx/PictureRecorder.h"

#include "platform/gfx/Himetric.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/TextLayout.h"
#include "platform/gfx/TextMeasure.h"
#include "platform/gfx/internal/PictureOps.h"

#include <algorithm>

namespace platform::gfx {

namespace {

Rect boundsOf(std::span<const Point> points)
{
    Rect box{points.front().x, points.front().y, points.front().x + 1, points.front().y + 1};
    for (const Point& point : points) {
        box = box.united({point.x, point.y, point.x + 1, point.y + 1});
    }
    return box;
}

} // namespace

PictureRecorder::PictureRecorder(Resolution reference, const TextMeasure* measure)
    : m_reference(reference), m_measure(measure)
{
}

PictureRecorder::~PictureRecorder() = default;

Picture PictureRecorder::finish()
{
    const Rect bounds = m_bounds;
    return take(bounds, himetricFromPixels(bounds, m_reference));
}

Picture PictureRecorder::finish(const Rect& frameHimetric)
{
    return take(pixelsFromHimetric(frameHimetric, m_reference), frameHimetric);
}

Picture PictureRecorder::take(const Rect& bounds, const Rect& frame)
{
    Picture picture(std::move(m_ops), bounds, frame);
    m_ops.clear();
    m_recorded = DrawState{};
    m_recordedSaved.clear();
    m_bounds = Rect{};
    m_inPath = false;
    return picture;
}

void PictureRecorder::syncState()
{
    const DrawState& current = state();
    if (current.pen != m_recorded.pen) {
        m_ops.push_back({SetPenOp{current.pen}});
    }
    if (current.brush != m_recorded.brush) {
        m_ops.push_back({SetBrushOp{current.brush}});
    }
    if (current.font != m_recorded.font) {
        m_ops.push_back({SetFontOp{current.font}});
    }
    if (current.textColor != m_recorded.textColor) {
        m_ops.push_back({SetTextColorOp{current.textColor}});
    }
    if (current.backgroundColor != m_recorded.backgroundColor) {
        m_ops.push_back({SetBackgroundColorOp{current.backgroundColor}});
    }
    if (current.backgroundMode != m_recorded.backgroundMode) {
        m_ops.push_back({SetBackgroundModeOp{current.backgroundMode}});
    }
    if (current.textAlign != m_recorded.textAlign) {
        m_ops.push_back({SetTextAlignOp{current.textAlign}});
    }
    if (current.rasterOp != m_recorded.rasterOp) {
        m_ops.push_back({SetRasterOpOp{current.rasterOp}});
    }
    m_recorded = current;
}

void PictureRecorder::onSave()
{
    m_ops.push_back({SaveOp{}});
    m_recordedSaved.push_back(m_recorded);
}

void PictureRecorder::onRestore()
{
    m_ops.push_back({RestoreOp{}});
    if (!m_recordedSaved.empty()) {
        m_recorded = m_recordedSaved.back();
        m_recordedSaved.pop_back();
    }
}

void PictureRecorder::addBounds(const Rect& deviceRect)
{
    if (!m_inPath) {
        m_bounds = m_bounds.united(deviceRect.normalized());
    }
}

void PictureRecorder::addFigureBounds(const Rect& deviceRect, bool insideFrame)
{
    const Pen& pen = state().pen;
    const bool spills = pen.style != PenStyle::Null && pen.width > 1 && !insideFrame;
    addBounds(spills ? deviceRect.normalized().inset(-(pen.width / 2 + 1)) : deviceRect);
}

std::vector<Point> PictureRecorder::devicePoints(std::span<const Point> points) const
{
    std::vector<Point> device;
    device.reserve(points.size());
    for (const Point& point : points) {
        device.push_back(toDevice(point));
    }
    return device;
}

void PictureRecorder::polyline(std::span<const Point> points)
{
    if (points.size() < 2) {
        return;
    }
    syncState();
    std::vector<Point> device = devicePoints(points);
    addFigureBounds(boundsOf(device), /*insideFrame=*/false);
    m_ops.push_back({PolylineOp{std::move(device)}});
}

void PictureRecorder::polygon(std::span<const Point> points)
{
    if (points.size() < 2) {
        return;
    }
    syncState();
    std::vector<Point> device = devicePoints(points);
    addFigureBounds(boundsOf(device), /*insideFrame=*/false);
    m_ops.push_back({PolygonOp{std::move(device)}});
}

void PictureRecorder::rectangle(const Rect& rect)
{
    syncState();
    const Rect device = toDevice(rect);
    addFigureBounds(device, state().pen.style == PenStyle::InsideFrame);
    m_ops.push_back({RectangleOp{device}});
}

void PictureRecorder::ellipse(const Rect& rect)
{
    syncState();
    const Rect device = toDevice(rect);
    addFigureBounds(device, state().pen.style == PenStyle::InsideFrame);
    m_ops.push_back({EllipseOp{device}});
}

void PictureRecorder::fillRect(const Rect& rect, COLORREF color)
{
    const Rect device = toDevice(rect);
    addBounds(device);
    m_ops.push_back({FillRectOp{device, color}});
}

void PictureRecorder::shadeRect(const Rect& rect)
{
    const Rect device = toDevice(rect);
    addBounds(device);
    m_ops.push_back({ShadeRectOp{device}});
}

TextMetrics PictureRecorder::textMetrics() const
{
    return m_measure ? m_measure->metrics(state().font) : TextMetrics{};
}

Size PictureRecorder::textExtent(std::u16string_view text) const
{
    if (!m_measure) {
        return {};
    }
    return {m_measure->width(state().font, text), m_measure->metrics(state().font).height};
}

void PictureRecorder::textOut(Point point, std::u16string_view text)
{
    syncState();
    const Point device = toDevice(point);
    // Turned text and text without a measure count by its reference point alone.
    Rect box{device.x, device.y, device.x + 1, device.y + 1};
    if (m_measure && state().font.escapement == 0) {
        const Size extent = textExtent(text);
        const UINT align = state().textAlign;
        const LONG left = (align & TA_CENTER) == TA_CENTER ? device.x - extent.cx / 2
                          : (align & TA_RIGHT) != 0        ? device.x - extent.cx
                                                           : device.x;
        const LONG ascent = textMetrics().ascent;
        const LONG top = (align & TA_BASELINE) == TA_BASELINE ? device.y - ascent
                         : (align & TA_BOTTOM) != 0           ? device.y - extent.cy
                                                              : device.y;
        box = {left, top, left + extent.cx, top + extent.cy};
    }
    addBounds(box);
    m_ops.push_back({TextOutOp{device, std::u16string(text)}});
}

LONG PictureRecorder::drawText(std::u16string_view text, Rect& rect, UINT format)
{
    if ((format & DT_CALCRECT) != 0) {
        if (!m_measure) {
            return 0;
        }
        const TextLayout layout = layoutText(text, rect, format, state().font, *m_measure);
        rect = layout.extent;
        return layout.height;
    }
    syncState();
    const Rect device = toDevice(rect);
    LONG height = 0;
    Rect box = device;
    if (m_measure) {
        const TextLayout layout = layoutText(text, device, format, state().font, *m_measure);
        height = layout.height;
        if ((format & DT_NOCLIP) != 0) {
            for (const TextRun& run : layout.runs) {
                const Size extent{m_measure->width(state().font, run.text), m_measure->metrics(state().font).height};
                box = box.united({run.topLeft.x, run.topLeft.y, run.topLeft.x + extent.cx, run.topLeft.y + extent.cy});
            }
        }
    }
    addBounds(box);
    m_ops.push_back({DrawTextOp{device, std::u16string(text), format}});
    return height;
}

void PictureRecorder::setClipRect(const Rect& rect)
{
    m_ops.push_back({SetClipRectOp{toDevice(rect)}});
}

void PictureRecorder::clearClip()
{
    m_ops.push_back({ClearClipOp{}});
}

void PictureRecorder::beginPath()
{
    m_inPath = true;
    m_ops.push_back({BeginPathOp{}});
}

void PictureRecorder::endPath()
{
    m_inPath = false;
    m_ops.push_back({EndPathOp{}});
}

void PictureRecorder::selectClipPath(ClipCombine combine)
{
    m_ops.push_back({SelectClipPathOp{combine}});
}

void PictureRecorder::drawPicture(const Picture& picture, const Rect& rect)
{
    if (picture.isEmpty()) {
        return;
    }
    const Rect device = toDevice(rect);
    addBounds(device);
    m_ops.push_back({DrawPictureOp{picture, device}});
}

void PictureRecorder::drawBitmap(const Bitmap& bitmap, const Rect& rect)
{
    if (!bitmap.isValid()) {
        return;
    }
    const Rect device = toDevice(rect);
    addBounds(device);
    m_ops.push_back({DrawBitmapOp{bitmap, device}});
}

} // namespace platform::gfx
