#pragma once

#include "platform/gfx/DrawStyle.h"
#include "platform/gfx/Geometry.h"

#include <memory>
#include <vector>

namespace platform::gfx {

struct Bitmap;
class DrawContext;
struct PictureOp;

/// A picture: a recorded list of drawing operations (made by PictureRecorder) or a bitmap. Its bounds are the
/// recorded area in logical units, which playback maps onto the destination rectangle; its frame is the same area
/// in HIMETRIC (0.01 mm), and its width and height are the frame's. Immutable, so any thread may read it.
class Picture {
public:
    /// An empty picture: no size, draws nothing.
    Picture() = default;
    /// A bitmap picture whose HIMETRIC size follows from the resolution.
    static Picture fromBitmap(Bitmap bitmap, Resolution resolution = {});

    bool isEmpty() const { return !m_ops && !m_bitmap; }
    bool isBitmap() const { return m_bitmap != nullptr; }
    /// The pixels of a bitmap picture; null otherwise.
    const Bitmap* bitmap() const { return m_bitmap.get(); }
    const Rect& bounds() const { return m_bounds; }
    const Rect& frame() const { return m_frame; }
    LONG width() const { return m_frame.width(); }
    LONG height() const { return m_frame.height(); }

    /// Plays the picture into target scaled from its bounds onto rect (a negative extent mirrors it). Starts from
    /// the default state and leaves target's state as it was. Backends call this from DrawContext::drawPicture,
    /// which also keeps the picture inside the target's clip; everyone else calls drawPicture.
    void play(DrawContext& target, const Rect& rect) const;

private:
    friend class PictureRecorder;
    Picture(std::vector<PictureOp> ops, const Rect& bounds, const Rect& frame);

    // Shared because a picture never changes once made: the copies that caches and nested pictures hold share it.
    std::shared_ptr<const std::vector<PictureOp>> m_ops;
    std::shared_ptr<const Bitmap> m_bitmap;
    Rect m_bounds;
    Rect m_frame;
};

} // namespace platform::gfx
