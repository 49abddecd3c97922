#include "platform/gfx/DrawContextQt.h"

#include "platform/gfx/BitmapQt.h"
#include "platform/gfx/Color.h"
#include "platform/gfx/CoverageCache.h"
#include "platform/gfx/FontQt.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/TextLayout.h"
#include "platform/gfx/internal/FastStroke.h"
#include "platform/gfx/internal/Hairline.h"

#include <QBrush>
#include <QFontMetrics>
#include <QPainterPathStroker>
#include <QPen>
#include <QPolygon>
#include <QPolygonF>
#include <QTransform>

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <span>

namespace platform::gfx {

namespace {

constexpr int kShadePatternSize = 8;
constexpr COLORREF kShadeGrey = 0x808080;

// The first number of a coverage recipe says what outline the others describe.
enum class Outline : LONG {
    Stroke,
    Figure,
    Band,
    FigureStroke,
};
// A stroke's recipe: kind, pen width, closed, then x and y of each device point.
constexpr std::size_t kStrokeHeader = 3;
// A figure's recipe: kind, ellipse, pen width, then its rectangle and, for a band, the inner one.
constexpr std::size_t kFigureHeader = 3;
// Figures reaching farther out are filled afresh, so that moving them stays within LONG.
constexpr std::int64_t kFarthest = std::int64_t{1} << 29;

// A stroke's points, centred on the line through the pixel centres.
QPolygonF centreLine(const std::vector<LONG>& recipe)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>((recipe.size() - kStrokeHeader) / 2));
    for (std::size_t i = kStrokeHeader; i < recipe.size(); i += 2) {
        polygon.append(QPointF(recipe[i] + 0.5, recipe[i + 1] + 0.5));
    }
    return polygon;
}

QColor toQColor(COLORREF color)
{
    const COLORREF resolved = resolveColor(color);
    return QColor(redOf(resolved), greenOf(resolved), blueOf(resolved));
}

QString toQString(std::u16string_view text)
{
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size()));
}

// Aliased fills take the pixels whose centres lie inside, so a figure over the area (l, t)-(r, b) fills pixels
// l..r-1 and t..b-1.
QPainterPath figurePath(const QRectF& area, bool ellipse)
{
    QPainterPath path;
    if (ellipse) {
        path.addEllipse(area);
    } else {
        path.addRect(area);
    }
    return path;
}

QRectF areaOf(const Rect& rect)
{
    return QRectF(rect.left, rect.top, rect.width(), rect.height());
}

Rect rectAt(const CoverageCache::Recipe& recipe, std::size_t first)
{
    return {recipe[first], recipe[first + 1], recipe[first + 2], recipe[first + 3]};
}

// The outline a figure's recipe describes: the figure, the band its pen covers inside it, or its wider pen's stroke.
QPainterPath figureOutline(const CoverageCache::Recipe& recipe)
{
    const auto kind = static_cast<Outline>(recipe[0]);
    const bool ellipse = recipe[1] != 0;
    const LONG width = recipe[2];
    const Rect rect = rectAt(recipe, kFigureHeader);
    if (kind == Outline::Band) {
        QPainterPath band = figurePath(areaOf(rect), ellipse);
        const Rect inner = rectAt(recipe, kFigureHeader + 4);
        if (!inner.isEmpty()) {
            band.addPath(figurePath(areaOf(inner), ellipse));
            band.setFillRule(Qt::OddEvenFill);
        }
        return band;
    }
    if (kind == Outline::FigureStroke) {
        QPainterPathStroker stroker;
        stroker.setWidth(width);
        stroker.setCapStyle(Qt::RoundCap);
        stroker.setJoinStyle(Qt::RoundJoin);
        const QRectF centre(rect.left + 0.5, rect.top + 0.5, rect.width() - 1, rect.height() - 1);
        return stroker.createStroke(figurePath(centre, ellipse));
    }
    return figurePath(areaOf(rect), ellipse);
}

// Measures an outline by filling what `outline` builds from the recipe.
template <typename Outliner> CoverageCache::Painting filling(Outliner outline)
{
    return [outline = std::move(outline)](QPainter& painter, const QColor& covered, const CoverageCache::Recipe& made) {
        const QPainterPath path = outline(made);
        painter.fillPath(path, covered);
        return path.controlPointRect(); // holds every filled pixel, like boundingRect(), at a fraction of its cost
    };
}

std::vector<Point> toDevicePoints(std::span<const Point> points, Point origin)
{
    std::vector<Point> device;
    device.reserve(points.size());
    for (const Point& point : points) {
        device.push_back({point.x + origin.x, point.y + origin.y});
    }
    return device;
}

QPolygonF toPolygon(const std::vector<Point>& points, qreal offset = 0)
{
    QPolygonF polygon;
    polygon.reserve(static_cast<qsizetype>(points.size()));
    for (const Point& point : points) {
        polygon.append(QPointF(point.x + offset, point.y + offset));
    }
    return polygon;
}

// The corners of a dotted figure's one-pixel outline.
std::vector<Point> outlinePoints(const Rect& rect, bool ellipse)
{
    if (!ellipse) {
        return {{rect.left, rect.top},
                {rect.right - 1, rect.top},
                {rect.right - 1, rect.bottom - 1},
                {rect.left, rect.bottom - 1}};
    }
    QPainterPath path;
    path.addEllipse(QRectF(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
    std::vector<Point> points;
    for (const QPointF& point : path.toFillPolygon()) {
        const Point rounded{static_cast<LONG>(std::lround(point.x())), static_cast<LONG>(std::lround(point.y()))};
        if (points.empty() || points.back() != rounded) {
            points.push_back(rounded);
        }
    }
    return points;
}

QImage shadePattern()
{
    QImage pattern(kShadePatternSize, kShadePatternSize, QImage::Format_ARGB32);
    for (int y = 0; y < kShadePatternSize; ++y) {
        const unsigned row = y % 2 == 0 ? 0x55 : 0xAA;
        for (int x = 0; x < kShadePatternSize; ++x) {
            const bool bit = ((row >> (kShadePatternSize - 1 - x)) & 1) != 0;
            pattern.setPixel(x, y, bit ? qRgba(0, 0, 0, 0) : qRgb(0x80, 0x80, 0x80));
        }
    }
    return pattern;
}

} // namespace

DrawContextQt::DrawContextQt(QImage& image) : DrawContextQt(static_cast<QPaintDevice&>(image))
{
    assert(image.depth() == 32 && "raster operations need a 32-bit image");
    m_image = &image;
}

DrawContextQt::DrawContextQt(QPaintDevice& device) : m_device(device)
{
    m_painter.begin(&m_device);
    m_logicalDevice = QRect(0, 0, m_device.width(), m_device.height());
    m_painter.setRenderHint(QPainter::Antialiasing, false);
    m_painter.setRenderHint(QPainter::TextAntialiasing, false);
    m_painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
}

DrawContextQt::~DrawContextQt()
{
    copyUncopied();
    m_painter.end();
}

void DrawContextQt::setScale(double factor, QPointF origin)
{
    copyUncopied();
    const QTransform transform(factor, 0, 0, factor, origin.x(), origin.y());
    m_painter.setWorldTransform(transform);
    m_logicalDevice = transform.inverted().mapRect(QRect(0, 0, m_device.width(), m_device.height()));
    m_scale = factor;
    m_image = nullptr;
}

Resolution DrawContextQt::resolution() const
{
    // An image without a resolution of its own reports 0.
    const auto dpi = [](int dotsPerInch) { return dotsPerInch > 0 ? static_cast<LONG>(dotsPerInch) : Resolution{}.x; };
    return {dpi(m_device.logicalDpiX()), dpi(m_device.logicalDpiY())};
}

void DrawContextQt::onSave()
{
    m_savedClips.push_back(m_clip);
}

void DrawContextQt::onRestore()
{
    if (!m_savedClips.empty()) {
        m_clip = std::move(m_savedClips.back());
        m_savedClips.pop_back();
    }
    applyClip();
}

void DrawContextQt::applyClip()
{
    std::optional<QPainterPath> effective = m_clip.selected;
    if (m_clip.outer) {
        effective = effective ? effective->intersected(*m_clip.outer) : *m_clip.outer;
    }
    if (effective) {
        m_painter.setClipPath(*effective);
    } else {
        m_painter.setClipping(false);
    }
}

void DrawContextQt::useRasterOp()
{
    m_painter.setCompositionMode(state().rasterOp == RasterOp::NotXorPen ? QPainter::RasterOp_NotSourceXorDestination
                                                                         : QPainter::CompositionMode_SourceOver);
}

void DrawContextQt::fillArea(const QPainterPath& area, COLORREF color)
{
    painter().fillPath(area, QBrush(toQColor(color)));
}

void DrawContextQt::fillWithBrush(const QPainterPath& area)
{
    if (state().brush.style == BrushStyle::Solid) {
        fillArea(area, state().brush.color);
    }
}

void DrawContextQt::fillOutline(const CoverageCache::Recipe& recipe, Outliner outline, COLORREF color)
{
    if (!canCopyFills()) {
        fillArea(outline(recipe), color);
        return;
    }
    copyCoverage(recipe, m_image->rect(), filling(std::move(outline)), color);
}

void DrawContextQt::fillFigure(CoverageCache::Recipe& recipe, COLORREF color)
{
    if (!canCopyFills()) {
        fillArea(figureOutline(recipe), color);
        return;
    }
    // The pixels it may cover: a pen reaches half its width beyond the rectangle.
    const Rect rect = rectAt(recipe, kFigureHeader).normalized();
    const std::int64_t margin = std::int64_t{recipe[2]} + 1;
    const std::int64_t left = rect.left - margin;
    const std::int64_t top = rect.top - margin;
    const std::int64_t right = rect.right + margin;
    const std::int64_t bottom = rect.bottom + margin;
    const QRect device = m_image->rect();
    if (right <= 0 || bottom <= 0 || left >= device.width() || top >= device.height()) {
        return; // None of it shows.
    }
    if (std::max({-left, -top, right, bottom}) > kFarthest) {
        fillArea(figureOutline(recipe), color);
        return;
    }
    // Measured at a fixed place on an image just large enough for it, so that the figure anywhere is one outline;
    // one larger than the device where it shows, so that no image measured on is larger than the device.
    QRect where(static_cast<int>(left), static_cast<int>(top), static_cast<int>(right - left),
                static_cast<int>(bottom - top));
    if (where.width() > device.width() || where.height() > device.height()) {
        where &= device;
    }
    for (std::size_t i = kFigureHeader; i + 1 < recipe.size(); i += 2) {
        recipe[i] -= where.left();
        recipe[i + 1] -= where.top();
    }
    copyCoverage(recipe, where, filling(figureOutline), color);
}

void DrawContextQt::copyCoverage(const CoverageCache::Recipe& recipe, QRect where, CoverageCache::Painting paint,
                                 COLORREF color, CoverageCache::Urgency urgency)
{
    const QRgb value = toQColor(color).rgb();
    if (m_newLines == NewLines::Exact) {
        urgency = CoverageCache::Urgency::Now;
    }
    m_uncopied.push_back(
        {m_coverageCache->coverage(recipe, where.size(), std::move(paint), urgency), value, where.topLeft()});
    // What waits for the background is handed to it together, when the painter is next needed.
    if (!m_coverageCache->unmeasured() && !m_coverageCache->waiting()) {
        copyUncopied(); // Nothing to wait for.
    }
}

void DrawContextQt::copyUncopied()
{
    if (m_uncopied.empty()) {
        return;
    }
    m_coverageCache->measure();
    // In the order drawn, so what overlaps is what painting each in turn leaves.
    uchar* const bits = m_image->bits();
    const qsizetype stride = m_image->bytesPerLine();
    const int width = m_image->width();
    const int height = m_image->height();
    const PixelRows pixels{reinterpret_cast<std::uint32_t*>(bits), stride / static_cast<qsizetype>(sizeof(QRgb)), width,
                           height};
    for (const Uncopied& copy : m_uncopied) {
        if (!copy.outline->measured()) {
            const CoverageCache::Recipe& recipe = copy.outline->recipe();
            fastStroke(pixels, std::span(recipe).subspan(kStrokeHeader), recipe[1], copy.value);
            continue;
        }
        // Moved to where the outline stands, and clipped to the device: a figure may reach beyond it.
        for (const CoverageCache::Span& span : copy.outline->spans()) {
            const int y = span.y + copy.offset.y();
            const int left = std::max(span.left + copy.offset.x(), 0);
            const int right = std::min(span.right + copy.offset.x(), width);
            if (y < 0 || y >= height || left >= right) {
                continue;
            }
            auto* line = reinterpret_cast<QRgb*>(bits + y * stride);
            std::fill(line + left, line + right, copy.value);
        }
    }
    m_uncopied.clear();
    // Only now: the pool would slow the drawing above, which is the frame shown first.
    m_coverageCache->measureInBackground();
}

QPainter& DrawContextQt::painter()
{
    copyUncopied();
    return m_painter;
}

bool DrawContextQt::canCopyFills() const
{
    if (m_image == nullptr) {
        return false; // only an image's pixels can be copied into
    }
    const QImage::Format format = m_image->format();
    // A shared image would be copied by the first write, away from the painter; on a scaled one the painter fills
    // other pixels than the unscaled scratch image measures.
    return m_coverageCache && state().rasterOp == RasterOp::CopyPen && !m_clip.selected && !m_clip.outer &&
           m_image->isDetached() && m_image->devicePixelRatio() == 1.0 &&
           (format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
            format == QImage::Format_ARGB32_Premultiplied);
}

void DrawContextQt::fillFigureWithBrush(const Rect& area, bool ellipse)
{
    if (state().brush.style != BrushStyle::Solid) {
        return;
    }
    m_recipe.assign({static_cast<LONG>(Outline::Figure), ellipse, 0, area.left, area.top, area.right, area.bottom});
    fillFigure(m_recipe, state().brush.color);
}

void DrawContextQt::drawFigure(const Rect& deviceRect, Figure figure)
{
    const Rect rect = deviceRect.normalized();
    const bool ellipse = figure == Figure::Ellipse;
    if (m_openPath) {
        m_openPath->addPath(figurePath(areaOf(rect), ellipse));
        return;
    }
    if (rect.isEmpty()) {
        return;
    }
    useRasterOp();
    const Pen& pen = state().pen;
    if (pen.style == PenStyle::Null) {
        fillFigureWithBrush({rect.left, rect.top, rect.right - 1, rect.bottom - 1}, ellipse);
        return;
    }
    const LONG width = std::max<LONG>(1, pen.width);
    if (pen.style == PenStyle::Dot && width == 1) {
        fillFigureWithBrush(rect.inset(1), ellipse);
        stroke(outlinePoints(rect, ellipse), /*closed=*/true);
        return;
    }
    if (belowOnePixel(width)) {
        // Scaled down, the band between the figure and its inset would cover no pixel's centre.
        fillFigureWithBrush(rect.inset(width), ellipse);
        const double half = width / 2.0;
        strokeCosmetic(figurePath(areaOf(rect).adjusted(half, half, -half, -half), ellipse), pen.color);
        return;
    }
    if (width == 1 || pen.style == PenStyle::InsideFrame) {
        // The line is the band between the figure and the figure shrunk by the pen width, so it stays inside.
        const Rect inner = rect.inset(width);
        if (!inner.isEmpty()) {
            fillFigureWithBrush(inner, ellipse);
        }
        m_recipe.assign({static_cast<LONG>(Outline::Band), ellipse, 0, rect.left, rect.top, rect.right, rect.bottom,
                         inner.left, inner.top, inner.right, inner.bottom});
        fillFigure(m_recipe, pen.color);
        return;
    }
    fillFigureWithBrush(rect.inset((width + 1) / 2), ellipse);
    m_recipe.assign(
        {static_cast<LONG>(Outline::FigureStroke), ellipse, width, rect.left, rect.top, rect.right, rect.bottom});
    fillFigure(m_recipe, pen.color);
}

void DrawContextQt::stroke(const std::vector<Point>& points, bool closed)
{
    const Pen& pen = state().pen;
    if (pen.style == PenStyle::Null) {
        return;
    }
    const LONG width = std::max<LONG>(1, pen.width);
    if (width == 1) {
        QPolygon pixels;
        const Rect device{m_logicalDevice.left(), m_logicalDevice.top(), m_logicalDevice.right() + 1,
                          m_logicalDevice.bottom() + 1};
        for (const Point& pixel : hairlinePixels(points, closed, pen.style == PenStyle::Dot, device)) {
            pixels.append(QPoint(pixel.x, pixel.y));
        }
        m_painter.setPen(QPen(toQColor(pen.color), 0));
        painter().drawPoints(pixels);
        return;
    }
    strokeWide(points, /*origin=*/{}, closed);
}

void DrawContextQt::strokeCosmetic(const QPainterPath& line, COLORREF color)
{
    m_painter.setPen(QPen(toQColor(color), 0));
    m_painter.setBrush(Qt::NoBrush);
    painter().drawPath(line);
}

void DrawContextQt::strokeWide(std::span<const Point> points, Point origin, bool closed)
{
    if (closed) {
        strokeRun(points, origin, closed);
        return;
    }
    // Only the stretches near the view are stroked: a segment whose box lies beyond the pen's width and a margin
    // all round the view adds no pixel to it, and a zoomed-in trace spends most of its joins out of sight. A
    // stretch then ends at a point that far out, so its cap lies out of sight as the join there did.
    const std::int64_t margin = std::int64_t{state().pen.width} + 16;
    const std::int64_t left = std::int64_t{m_logicalDevice.left()} - margin;
    const std::int64_t top = std::int64_t{m_logicalDevice.top()} - margin;
    const std::int64_t right = std::int64_t{m_logicalDevice.right()} + 1 + margin;
    const std::int64_t bottom = std::int64_t{m_logicalDevice.bottom()} + 1 + margin;
    const auto near = [&](const Point& a, const Point& b) {
        const std::int64_t ax = std::int64_t{a.x} + origin.x;
        const std::int64_t ay = std::int64_t{a.y} + origin.y;
        const std::int64_t bx = std::int64_t{b.x} + origin.x;
        const std::int64_t by = std::int64_t{b.y} + origin.y;
        return std::max(ax, bx) >= left && std::min(ax, bx) <= right && std::max(ay, by) >= top &&
               std::min(ay, by) <= bottom;
    };
    const auto [leftmost, rightmost] =
        std::minmax_element(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.x < b.x; });
    const auto [topmost, bottommost] =
        std::minmax_element(points.begin(), points.end(), [](const Point& a, const Point& b) { return a.y < b.y; });
    if (points.empty() ||
        (std::int64_t{leftmost->x} + origin.x >= left && std::int64_t{rightmost->x} + origin.x <= right &&
         std::int64_t{topmost->y} + origin.y >= top && std::int64_t{bottommost->y} + origin.y <= bottom)) {
        strokeRun(points, origin, closed); // Wholly near the view, as a trace at the whole face is.
        return;
    }
    std::size_t first = 0;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (!near(points[i], points[i + 1])) {
            if (i > first) {
                strokeRun(points.subspan(first, i + 1 - first), origin, closed);
            }
            first = i + 1;
        }
    }
    if (first == 0) {
        strokeRun(points, origin, closed); // Every segment is near: the line as it is, a lone point too.
    } else if (first + 1 < points.size()) {
        strokeRun(points.subspan(first), origin, closed);
    }
}

void DrawContextQt::strokeRun(std::span<const Point> points, Point origin, bool closed)
{
    const Pen& pen = state().pen;
    const LONG width = pen.width;
    if (belowOnePixel(width)) {
        QPainterPath line;
        line.addPolygon(toPolygon(toDevicePoints(points, origin), 0.5));
        if (closed) {
            line.closeSubpath();
        }
        strokeCosmetic(line, pen.color);
        return;
    }
    m_recipe.assign({static_cast<LONG>(Outline::Stroke), width, closed});
    // A point that repeats its predecessor is left out: a zero-length step adds nothing to the outline but costs a
    // round join, and a trace sampled faster than it moves across pixels repeats most of its points. Written
    // through a pointer into room made first: every redraw builds the recipe of every trace.
    m_recipe.resize(kStrokeHeader + 2 * points.size());
    LONG* const begin = m_recipe.data() + kStrokeHeader;
    LONG* end = begin;
    for (const Point& point : points) {
        const LONG x = point.x + origin.x;
        const LONG y = point.y + origin.y;
        if (end == begin || end[-2] != x || end[-1] != y) {
            end[0] = x;
            end[1] = y;
            end += 2;
        }
    }
    m_recipe.resize(static_cast<std::size_t>(end - m_recipe.data()));
    if (!closed && m_recipe.size() >= kStrokeHeader + 4 && canCopyFills()) {
        // Measured with the pen: the raster engine strokes an open line of two or more points with the same
        // stroker and fills its outline, but builds no QPainterPath of it, which costs a tenth of the whole.
        copyCoverage(
            m_recipe, m_image->rect(),
            [width](QPainter& painter, const QColor& covered, const CoverageCache::Recipe& recipe) {
                const QPolygonF polygon = centreLine(recipe);
                painter.setPen(QPen(covered, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
                painter.drawPolyline(polygon);
                // Joins and caps stay within the pen width of a point.
                return polygon.boundingRect().adjusted(-width, -width, width, width);
            },
            pen.color, width <= kFastStrokeWidest ? CoverageCache::Urgency::CanWait : CoverageCache::Urgency::Now);
        return;
    }
    fillOutline(
        m_recipe,
        [closed, width](const CoverageCache::Recipe& recipe) {
            const QPolygonF polygon = centreLine(recipe);
            QPainterPath line;
            line.addPolygon(polygon);
            if (closed) {
                line.closeSubpath();
            }
            QPainterPathStroker stroker;
            stroker.setWidth(width);
            stroker.setCapStyle(Qt::RoundCap);
            stroker.setJoinStyle(Qt::RoundJoin);
            return stroker.createStroke(line);
        },
        pen.color);
}

void DrawContextQt::polyline(std::span<const Point> points)
{
    if (points.size() < 2) {
        return;
    }
    if (!m_openPath && state().pen.style != PenStyle::Null && state().pen.width > 1) {
        useRasterOp();
        strokeWide(points, state().viewportOrigin, /*closed=*/false);
        return;
    }
    const std::vector<Point> device = toDevicePoints(points, state().viewportOrigin);
    if (m_openPath) {
        m_openPath->addPolygon(toPolygon(device));
        return;
    }
    useRasterOp();
    stroke(device, /*closed=*/false);
}

void DrawContextQt::polygon(std::span<const Point> points)
{
    if (points.size() < 2) {
        return;
    }
    const std::vector<Point> device = toDevicePoints(points, state().viewportOrigin);
    QPainterPath area;
    area.setFillRule(Qt::OddEvenFill);
    area.addPolygon(toPolygon(device));
    area.closeSubpath();
    if (m_openPath) {
        m_openPath->addPath(area);
        return;
    }
    useRasterOp();
    fillWithBrush(area);
    stroke(device, /*closed=*/true);
}

void DrawContextQt::rectangle(const Rect& rect)
{
    drawFigure(toDevice(rect), Figure::Rectangle);
}

void DrawContextQt::ellipse(const Rect& rect)
{
    drawFigure(toDevice(rect), Figure::Ellipse);
}

void DrawContextQt::fillRect(const Rect& rect, COLORREF color)
{
    const Rect device = toDevice(rect).normalized();
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    const QRect area(device.left, device.top, device.width(), device.height());
    const QRectF scaled = m_painter.worldTransform().mapRect(QRectF(area));
    if (area.isEmpty() || (scaled.width() >= 1 && scaled.height() >= 1)) {
        painter().fillRect(area, toQColor(color));
        return;
    }
    // A rule scaled thinner than a pixel keeps one, where it begins.
    const QRect pixels(static_cast<int>(std::floor(scaled.left())), static_cast<int>(std::floor(scaled.top())),
                       std::max(1, static_cast<int>(std::lround(scaled.width()))),
                       std::max(1, static_cast<int>(std::lround(scaled.height()))));
    m_painter.save();
    m_painter.resetTransform();
    painter().fillRect(pixels, toQColor(color));
    m_painter.restore();
}

void DrawContextQt::shadeRect(const Rect& rect)
{
    const Rect device = toDevice(rect).normalized();
    const QRect area(device.left, device.top, device.width(), device.height());
    m_painter.setCompositionMode(QPainter::RasterOp_SourceOrDestination);
    painter().fillRect(area, toQColor(kShadeGrey));
    // The pattern's transparent pixels keep the ORed colour; its grey pixels replace it.
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter.setBrushOrigin(0, 0);
    painter().fillRect(area, QBrush(shadePattern()));
}

TextMetrics DrawContextQt::textMetrics() const
{
    return m_measure.metrics(state().font);
}

Size DrawContextQt::textExtent(std::u16string_view text) const
{
    return {m_measure.width(state().font, text), textMetrics().height};
}

void DrawContextQt::paintTextLine(Point deviceAnchor, std::u16string_view text, UINT align, LONG escapement)
{
    const QFont font = toQFont(state().font);
    const QFontMetrics metrics(font);
    const QString string = toQString(text);
    const int width = metrics.horizontalAdvance(string);
    const int x = (align & TA_CENTER) == TA_CENTER ? -width / 2 : (align & TA_RIGHT) != 0 ? -width : 0;
    const int baseline = (align & TA_BASELINE) == TA_BASELINE ? 0
                         : (align & TA_BOTTOM) != 0           ? -metrics.descent()
                                                              : metrics.ascent();

    m_painter.save();
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    m_painter.translate(deviceAnchor.x, deviceAnchor.y);
    if (escapement != 0) {
        m_painter.rotate(-escapement / 10.0);
    }
    if (state().backgroundMode == BackgroundMode::Opaque) {
        painter().fillRect(QRect(x, baseline - metrics.ascent(), width, metrics.ascent() + metrics.descent()),
                           toQColor(state().backgroundColor));
    }
    m_painter.setFont(font);
    m_painter.setPen(toQColor(state().textColor));
    painter().drawText(QPoint(x, baseline), string);
    m_painter.restore();
}

void DrawContextQt::textOut(Point point, std::u16string_view text)
{
    paintTextLine(toDevice(point), text, state().textAlign, state().font.escapement);
}

LONG DrawContextQt::drawText(std::u16string_view text, Rect& rect, UINT format)
{
    const TextLayout layout = layoutText(text, rect, format, state().font, m_measure);
    if ((format & DT_CALCRECT) != 0) {
        rect = layout.extent;
        return layout.height;
    }
    m_painter.save();
    if ((format & DT_NOCLIP) == 0) {
        const Rect device = toDevice(rect).normalized();
        m_painter.setClipRect(QRect(device.left, device.top, device.width(), device.height()), Qt::IntersectClip);
    }
    for (const TextRun& run : layout.runs) {
        paintTextLine(toDevice(run.topLeft), run.text, TA_LEFT | TA_TOP, /*escapement=*/0);
    }
    m_painter.restore();
    return layout.height;
}

void DrawContextQt::setClipRect(const Rect& rect)
{
    QPainterPath path;
    path.addRect(areaOf(toDevice(rect).normalized()));
    m_clip.selected = path;
    applyClip();
}

void DrawContextQt::clearClip()
{
    m_clip.selected.reset();
    applyClip();
}

void DrawContextQt::beginPath()
{
    m_openPath.emplace();
    m_openPath->setFillRule(Qt::OddEvenFill);
    m_closedPath.reset();
}

void DrawContextQt::endPath()
{
    if (m_openPath) {
        m_closedPath = std::move(m_openPath);
        m_openPath.reset();
    }
}

void DrawContextQt::selectClipPath(ClipCombine combine)
{
    if (!m_closedPath) {
        return;
    }
    if (combine == ClipCombine::Union && m_clip.selected) {
        m_clip.selected = m_clip.selected->united(*m_closedPath);
    } else {
        m_clip.selected = std::move(m_closedPath);
    }
    m_closedPath.reset();
    applyClip();
}

void DrawContextQt::drawPicture(const Picture& picture, const Rect& rect)
{
    if (picture.isBitmap()) {
        drawBitmap(*picture.bitmap(), rect);
        return;
    }
    StateSaver saver(*this);
    if (m_clip.selected) {
        m_clip.outer = m_clip.outer ? m_clip.selected->intersected(*m_clip.outer) : *m_clip.selected;
    }
    m_clip.selected.reset();
    applyClip();
    picture.play(*this, rect);
}

void DrawContextQt::drawBitmap(const Bitmap& bitmap, const Rect& rect)
{
    const Rect device = toDevice(rect);
    if (!bitmap.isValid() || device.width() == 0 || device.height() == 0) {
        return;
    }
    const Rect target = device.normalized();
    const QImage image = toQImage(bitmap).mirrored(device.width() < 0, device.height() < 0);
    m_painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter().drawImage(QRect(target.left, target.top, target.width(), target.height()), image);
}

} // namespace platform::gfx
