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

namespace platform::kernel {
class WorkerPool;
}

namespace platform::gfx {

/// The pixels that filled outlines (wide strokes, figures and their pens) cover, kept between drawings: a redraw of
/// what did not change then copies pixels instead of building and filling the outline again, which for a jittered
/// trace means a round join, and a curve for Qt to flatten, at nearly every point. An outline is known by a recipe
/// of whole numbers it is built from alone (its kind, pen width, device points) and the device size, so what is
/// copied is exactly what Qt filled for that outline. Outlines not yet known are measured together by measure(), on
/// a pool of threads each filling its own scratch image. What the last few passes used is kept (so zooming back is
/// a copy), within kMostBytes of pixels. Owner thread only.
class CoverageCache {
public:
    /// The covered pixels of one row, left to right - 1.
    struct Span {
        int y = 0;
        int left = 0;
        int right = 0;
    };
    using Recipe = std::vector<LONG>;
    /// Paints the outline that the recipe describes with the colour given and returns a rectangle holding every
    /// pixel it painted. It may run on another thread, after the call that hands it over has returned.
    using Painting = std::function<QRectF(QPainter&, const QColor&, const Recipe&)>;

    /// Passes whose outlines are kept, the current one among them: a zoom in and out again finds the first level.
    static constexpr unsigned kPassesKept = 4;
    /// Bound on the spans kept; the oldest passes' outlines are forgotten first.
    static constexpr std::size_t kMostBytes = std::size_t{32} << 20;

    /// Measures on `pool`, the shared one unless given; null measures on the owner thread alone.
    CoverageCache();
    explicit CoverageCache(kernel::WorkerPool* pool);
    CoverageCache(const CoverageCache&) = delete;
    CoverageCache& operator=(const CoverageCache&) = delete;

    /// Starts a drawing pass, with nothing left to measure: outlines used by none of the last kPassesKept - 1
    /// passes, or beyond the bound, are forgotten.
    void beginPass();

    /// The pixels the outline that `recipe` describes covers on a device of `size`: remembered, or left to the next
    /// measure() for `paint` to find with the raster backend. Empty when no image to measure on can be had. Stays
    /// in place until the next beginPass().
    const std::vector<Span>* coverage(const Recipe& recipe, QSize size, Painting paint);
    /// Whether coverage() left outlines unmeasured.
    bool unmeasured() const { return !m_unmeasured.empty(); }
    /// Measures every outline coverage() left, in parallel.
    void measure();

    /// The outlines held.
    std::size_t size() const { return m_entries.size(); }

private:
    struct Entry {
        Recipe recipe;
        QSize size;
        std::vector<Span> spans;
        unsigned pass = 0;
        Painting paint; ///< Until measured.
    };

    static std::vector<Span> rasterize(const Entry& entry);

    kernel::WorkerPool* m_pool = nullptr;
    std::unordered_multimap<std::uint64_t, Entry> m_entries;
    std::vector<Entry*> m_unmeasured;
    unsigned m_pass = 0;
};

} // namespace platform::gfx
