#pragma once

#include "platform/com/Types.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <functional>
#include <unordered_map>
#include <vector>

namespace platform::gfx {

/// The pixels that filled outlines (wide strokes, figures and their pens) cover, kept between drawings: a redraw of
/// what did not change then copies pixels instead of building and filling the outline again, which for a jittered
/// trace means a round join, and a curve for Qt to flatten, at nearly every point. An outline is known by a recipe
/// of whole numbers it is built from alone (its kind, pen width, device points) and the device size, so what is
/// copied is exactly what Qt filled for that outline. What a drawing pass leaves unused is forgotten at the start of
/// the pass after it. Owner thread only.
class CoverageCache {
public:
    /// The covered pixels of one row, left to right - 1.
    struct Span {
        int y = 0;
        int left = 0;
        int right = 0;
    };
    using Recipe = std::vector<LONG>;
    /// Paints an outline with the colour given and returns a rectangle holding every pixel it painted.
    using Painting = std::function<QRectF(QPainter&, const QColor&)>;

    CoverageCache() = default;
    CoverageCache(const CoverageCache&) = delete;
    CoverageCache& operator=(const CoverageCache&) = delete;

    /// Starts a drawing pass: outlines that neither this pass nor the previous one fills are forgotten.
    void beginPass();

    /// The pixels the outline that `recipe` describes covers on a device of `size`: remembered, or found by
    /// letting `paint` paint it with the raster backend. Empty when no image to measure on can be had.
    const std::vector<Span>& coverage(const Recipe& recipe, QSize size, const Painting& paint);

    /// The outlines held.
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        Recipe recipe;
        QSize size;
        std::vector<Span> spans;
        unsigned pass = 0;
    };

    std::vector<Span> rasterize(const Painting& paint, QSize size);

    std::unordered_multimap<std::uint64_t, Entry> m_entries;
    /// Black but for the outline being measured; kept to save an allocation per outline.
    QImage m_scratch;
    unsigned m_pass = 0;
};

} // namespace platform::gfx
