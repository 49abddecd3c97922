#pragma once

#include "platform/gfx/CoverageCache.h"
#include "platform/gfx/DrawContext.h"
#include "platform/gfx/TextMeasureQt.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPoint>
#include <QRect>

#include <functional>
#include <optional>
#include <vector>

namespace platform::gfx {

/// The raster backend: paints a QImage with antialiasing off, so every pixel is predictable. The image must be
/// 32-bit (Format_RGB32 or an ARGB32 format) for the raster operations, and outlive the context.
/// Owner thread only.
class DrawContextQt final : public DrawContext {
public:
    explicit DrawContextQt(QImage& image);
    /// Paints any device, a printer or a PDF file among them; raster operations other than copying need an image.
    explicit DrawContextQt(QPaintDevice& device);
    ~DrawContextQt() override;

    /// Measures like this context, for a PictureRecorder whose picture will be played here.
    const TextMeasure& textMeasure() const { return m_measure; }
    /// How a wide open line is first drawn when the coverage cache does not hold it yet.
    enum class NewLines {
        Exact,     ///< Measured first, however long that takes.
        FastFirst, ///< Measured in the background and drawn by a quicker rasterizer meanwhile, when that pays.
    };
    /// Wide lines and figures drawn unclipped with the copy pen take their pixels from (and leave them in) `cache`,
    /// which must outlive the context; null fills every outline afresh. With FastFirst, the cache's owner draws
    /// again when the cache has collected what the background measured.
    void setCoverageCache(CoverageCache* cache, NewLines newLines = NewLines::Exact)
    {
        copyUncopied();
        m_coverageCache = cache;
        m_newLines = newLines;
    }
    /// Draws whatever follows scaled by `factor` from the device point `origin`, text included as it is laid out at
    /// full size: a print preview shows a page laid out for a printer this way. Lines and fills that the scale makes
    /// thinner than a device pixel keep one. Set it before anything is drawn or clipped; the fills are no longer
    /// copied.
    void setScale(double factor, QPointF origin);

    Resolution resolution() const override;
    void polyline(std::span<const Point> points) override;
    void polygon(std::span<const Point> points) override;
    void rectangle(const Rect& rect) override;
    void ellipse(const Rect& rect) override;
    void fillRect(const Rect& rect, COLORREF color) override;
    void shadeRect(const Rect& rect) override;
    TextMetrics textMetrics() const override;
    Size textExtent(std::u16string_view text) const override;
    void textOut(Point point, std::u16string_view text) override;
    LONG drawText(std::u16string_view text, Rect& rect, UINT format) override;
    void setClipRect(const Rect& rect) override;
    void clearClip() override;
    void beginPath() override;
    void endPath() override;
    void selectClipPath(ClipCombine combine) override;
    void drawPicture(const Picture& picture, const Rect& rect) override;
    void drawBitmap(const Bitmap& bitmap, const Rect& rect) override;

private:
    enum class Figure {
        Rectangle,
        Ellipse,
    };
    // Device coordinates. A picture being played cannot draw outside `outer`, the clip it was drawn with.
    struct Clip {
        std::optional<QPainterPath> selected;
        std::optional<QPainterPath> outer;
    };

    void onSave() override;
    void onRestore() override;

    void applyClip();
    void useRasterOp();
    void fillArea(const QPainterPath& area, COLORREF color);
    void fillWithBrush(const QPainterPath& area);
    void drawFigure(const Rect& deviceRect, Figure figure);
    /// Whether a line `width` pixels wide is scaled below one device pixel.
    bool belowOnePixel(LONG width) const { return width * m_scale < 1.0; }
    /// One device pixel with `color` along `line` (the centre line), whatever the scale.
    void strokeCosmetic(const QPainterPath& line, COLORREF color);
    /// Outlines device points with the pen: one-pixel lines pixel by pixel, wider ones as a filled stroke.
    void stroke(const std::vector<Point>& points, bool closed);
    /// Points moved by `origin`, outlined with a pen wider than one pixel; of an open line only the stretches
    /// near the view.
    void strokeWide(std::span<const Point> points, Point origin, bool closed);
    /// One stretch of strokeWide, outlined whole.
    void strokeRun(std::span<const Point> points, Point origin, bool closed);
    void fillFigureWithBrush(const Rect& area, bool ellipse);
    /// Builds the outline that a recipe describes from it and what it captured alone: it may run on another thread.
    using Outliner = std::function<QPainterPath(const CoverageCache::Recipe&)>;
    /// Fills the outline that `recipe` describes, from the coverage cache when it may be used.
    void fillOutline(const CoverageCache::Recipe& recipe, Outliner outline, COLORREF color);
    /// Fills the figure that `recipe` describes in device points, from the coverage cache when it may be used; the
    /// recipe is then moved to where the cache measures it.
    void fillFigure(CoverageCache::Recipe& recipe, COLORREF color);
    /// Sets the pixels the cache holds for `recipe` on an image standing for `where` on the device, measured by
    /// `paint` when it holds none: at once when nothing waits to be measured, else when the painter is next needed.
    /// An open line may be drawn fast meanwhile.
    void copyCoverage(const CoverageCache::Recipe& recipe, QRect where, CoverageCache::Painting paint, COLORREF color,
                      CoverageCache::Urgency urgency = CoverageCache::Urgency::Now);
    /// Measures what the copies held back need and sets their pixels, in the order they were drawn; lines left to
    /// the background are drawn fast.
    void copyUncopied();
    /// The painter, for drawing: the copies held back go first, as they were drawn first.
    QPainter& painter();
    /// Whether filled pixels may be copied from the cache: pixels set straight into the image must be what the
    /// painter would set.
    bool canCopyFills() const;
    void paintTextLine(Point deviceAnchor, std::u16string_view text, UINT align, LONG escapement);

    QPaintDevice& m_device;
    /// The logical area the device shows: the device itself unless scaled.
    QRect m_logicalDevice;
    double m_scale = 1.0;
    /// The device when it is an image, whose pixels fills may be copied into.
    QImage* m_image = nullptr;
    QPainter m_painter;
    TextMeasureQt m_measure;
    Clip m_clip;
    std::vector<Clip> m_savedClips;
    std::optional<QPainterPath> m_openPath;
    std::optional<QPainterPath> m_closedPath;
    CoverageCache* m_coverageCache = nullptr;
    NewLines m_newLines = NewLines::Exact;
    /// Reused for every outline, to spare an allocation each.
    CoverageCache::Recipe m_recipe;
    struct Uncopied {
        const CoverageCache::Outline* outline;
        QRgb value;
        /// Where the outline's image stands on the device.
        QPoint offset;
    };
    /// Outlines drawn whose pixels wait for the cache to measure the new ones among them.
    std::vector<Uncopied> m_uncopied;
};

} // namespace platform::gfx
