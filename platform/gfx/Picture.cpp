#include "platform/gfx/Picture.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Himetric.h"
#include "platform/gfx/TextFormat.h"
#include "platform/gfx/internal/PictureOps.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace platform::gfx {

namespace {

// Replays recorded operations into a target, mapping the recorded bounds onto the destination rectangle.
class Player {
public:
    Player(DrawContext& target, const Rect& from, const Rect& to)
        : m_target(target), m_from(from), m_to(to), m_scaleX(static_cast<double>(to.width()) / from.width()),
          m_scaleY(static_cast<double>(to.height()) / from.height())
    {
    }

    ~Player()
    {
        // A recording may leave saves open; the target gets back the state it had.
        for (; m_depth > 0; --m_depth) {
            m_target.restore();
        }
    }
    Player(const Player&) = delete;
    Player& operator=(const Player&) = delete;

    void applyDefaults()
    {
        const DrawState defaults;
        (*this)(SetPenOp{defaults.pen});
        (*this)(SetBrushOp{defaults.brush});
        (*this)(SetFontOp{defaults.font});
        m_target.setTextColor(defaults.textColor);
        m_target.setBackgroundColor(defaults.backgroundColor);
        m_target.setBackgroundMode(defaults.backgroundMode);
        m_target.setTextAlign(defaults.textAlign);
        m_target.setRasterOp(defaults.rasterOp);
    }

    void operator()(const SetPenOp& op)
    {
        Pen pen = op.pen;
        pen.width = mapLength(pen.width);
        m_target.setPen(pen);
    }
    void operator()(const SetBrushOp& op) { m_target.setBrush(op.brush); }
    void operator()(const SetFontOp& op)
    {
        Font font = op.font;
        if (font.height != 0) {
            const LONG height = std::max<LONG>(1, std::lround(std::abs(font.height) * std::abs(m_scaleY)));
            font.height = font.height < 0 ? -height : height;
        }
        m_target.setFont(font);
    }
    void operator()(const SetTextColorOp& op) { m_target.setTextColor(op.color); }
    void operator()(const SetBackgroundColorOp& op) { m_target.setBackgroundColor(op.color); }
    void operator()(const SetBackgroundModeOp& op) { m_target.setBackgroundMode(op.mode); }
    void operator()(const SetTextAlignOp& op) { m_target.setTextAlign(op.flags); }
    void operator()(const SetRasterOpOp& op) { m_target.setRasterOp(op.op); }
    void operator()(const SaveOp&)
    {
        m_target.save();
        ++m_depth;
    }
    void operator()(const RestoreOp&)
    {
        if (m_depth > 0) {
            m_target.restore();
            --m_depth;
        }
    }
    void operator()(const PolylineOp& op) { m_target.polyline(map(op.points)); }
    void operator()(const PolygonOp& op) { m_target.polygon(map(op.points)); }
    void operator()(const RectangleOp& op) { m_target.rectangle(map(op.rect)); }
    void operator()(const EllipseOp& op) { m_target.ellipse(map(op.rect)); }
    void operator()(const FillRectOp& op) { m_target.fillRect(map(op.rect), op.color); }
    void operator()(const ShadeRectOp& op) { m_target.shadeRect(map(op.rect)); }
    void operator()(const TextOutOp& op) { m_target.textOut(map(op.point), op.text); }
    void operator()(const DrawTextOp& op)
    {
        Rect rect = map(op.rect);
        // Drawing reports nothing back to a picture.
        (void)m_target.drawText(op.text, rect, op.format & ~DT_CALCRECT);
    }
    void operator()(const SetClipRectOp& op) { m_target.setClipRect(map(op.rect)); }
    void operator()(const ClearClipOp&) { m_target.clearClip(); }
    void operator()(const BeginPathOp&) { m_target.beginPath(); }
    void operator()(const EndPathOp&) { m_target.endPath(); }
    void operator()(const SelectClipPathOp& op) { m_target.selectClipPath(op.combine); }
    void operator()(const DrawPictureOp& op) { m_target.drawPicture(op.picture, map(op.rect)); }
    void operator()(const DrawBitmapOp& op) { m_target.drawBitmap(op.bitmap, map(op.rect)); }

private:
    Point map(Point point) const
    {
        return {m_to.left + static_cast<LONG>(std::lround((point.x - m_from.left) * m_scaleX)),
                m_to.top + static_cast<LONG>(std::lround((point.y - m_from.top) * m_scaleY))};
    }
    Rect map(const Rect& rect) const
    {
        const Point topLeft = map(Point{rect.left, rect.top});
        const Point bottomRight = map(Point{rect.right, rect.bottom});
        return Rect{topLeft.x, topLeft.y, bottomRight.x, bottomRight.y}.normalized();
    }
    std::vector<Point> map(const std::vector<Point>& points) const
    {
        std::vector<Point> mapped;
        mapped.reserve(points.size());
        for (const Point& point : points) {
            mapped.push_back(map(point));
        }
        return mapped;
    }
    // Pen widths scale with the mean of both axes; a hairline stays a hairline.
    LONG mapLength(LONG length) const
    {
        if (length <= 0) {
            return length;
        }
        const double scale = (std::abs(m_scaleX) + std::abs(m_scaleY)) / 2;
        return std::max<LONG>(1, std::lround(length * scale));
    }

    DrawContext& m_target;
    Rect m_from;
    Rect m_to;
    double m_scaleX;
    double m_scaleY;
    int m_depth = 0;
};

} // namespace

Picture::Picture(std::vector<PictureOp> ops, const Rect& bounds, const Rect& frame)
    : m_ops(std::make_shared<const std::vector<PictureOp>>(std::move(ops))), m_bounds(bounds), m_frame(frame)
{
}

Picture Picture::fromBitmap(Bitmap bitmap, Resolution resolution)
{
    Picture picture;
    picture.m_bounds = {0, 0, bitmap.width, bitmap.height};
    picture.m_frame = himetricFromPixels(picture.m_bounds, resolution);
    picture.m_bitmap = std::make_shared<const Bitmap>(std::move(bitmap));
    return picture;
}

void Picture::play(DrawContext& target, const Rect& rect) const
{
    if (m_bitmap) {
        target.drawBitmap(*m_bitmap, rect);
        return;
    }
    if (!m_ops || m_bounds.isEmpty() || rect.width() == 0 || rect.height() == 0) {
        return;
    }
    StateSaver saver(target);
    Player player(target, m_bounds, rect);
    player.applyDefaults();
    for (const PictureOp& op : *m_ops) {
        std::visit(player, op.op);
    }
}

} // namespace platform::gfx
