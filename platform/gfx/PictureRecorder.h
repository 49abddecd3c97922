#pragma once

#include "platform/gfx/DrawContext.h"
#include "platform/gfx/Picture.h"

#include <vector>

namespace platform::gfx {

class TextMeasure;

/// A DrawContext that records into a Picture (the stand-in for an enhanced metafile). The reference resolution
/// converts between its pixels and HIMETRIC; text is measured with the given TextMeasure, and without one
/// measuring gives zeros and drawText returns 0 (the text is still recorded and laid out on playback).
/// Owner thread only.
class PictureRecorder final : public DrawContext {
public:
    explicit PictureRecorder(Resolution reference = {}, const TextMeasure* measure = nullptr);
    ~PictureRecorder() override;

    /// The picture drawn so far, its bounds what the drawing covered; the recorder starts again empty.
    Picture finish();
    /// The same with a given frame in HIMETRIC, whose pixels at the reference resolution become the bounds.
    Picture finish(const Rect& frameHimetric);

    Resolution resolution() const override { return m_reference; }
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
    void onSave() override;
    void onRestore() override;

    /// Records the selections that changed since they were last recorded.
    void syncState();
    void addBounds(const Rect& deviceRect);
    /// Bounds of a figure outlined with the current pen.
    void addFigureBounds(const Rect& deviceRect, bool insideFrame);
    std::vector<Point> devicePoints(std::span<const Point> points) const;
    Picture take(const Rect& bounds, const Rect& frame);

    Resolution m_reference;
    const TextMeasure* m_measure;
    std::vector<PictureOp> m_ops;
    DrawState m_recorded;
    std::vector<DrawState> m_recordedSaved;
    Rect m_bounds;
    bool m_inPath = false;
};

} // namespace platform::gfx
