#pragma once

#include "platform/com/Types.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>

#include <cstdint>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

namespace platform::kernel {
class Thread;
class WorkerPool;
} // namespace platform::kernel

namespace platform::gfx {

/// The pixels that filled outlines (wide strokes, figures and their pens) cover, kept between drawings: a redraw of
/// what did not change then copies pixels instead of building and filling the outline again, which for a jittered
/// trace means a round join, and a curve for Qt to flatten, at nearly every point. An outline is known by a recipe
/// of whole numbers it is built from alone (its kind, pen width, points) and the size of the image it is measured
/// on, so what is copied is exactly what Qt filled for that outline: a line's points are the device's, on an image
/// of the device's size; a figure is measured at a fixed place on an image just large enough for it, so that one
/// figure drawn at many places is measured once and copied to each, as moving an outline by whole pixels moves the
/// pixels Qt fills with it. Outlines not yet known are measured together by measure(), on
/// a pool of threads each filling its own scratch image, either while the owner waits or in the background, the owner
/// drawing something quicker meanwhile. What the last few passes used is kept (so zooming back is a copy), within
/// kMostBytes of pixels. Owner thread only; only the callback given for the background runs elsewhere.
class CoverageCache {
public:
    /// The covered pixels of one row, left to right - 1.
    struct Span {
        int y = 0;
        int left = 0;
        int right = 0;
    };
    using Recipe = std::vector<LONG>;
    class Outline;
    /// Paints the outline that the recipe describes with the colour given and returns a rectangle holding every
    /// pixel it painted. It may run on another thread, after the call that hands it over has returned.
    using Painting = std::function<QRectF(QPainter&, const QColor&, const Recipe&)>;

    /// Passes whose outlines are kept, the current one among them: a zoom in and out again finds the first level.
    static constexpr unsigned kPassesKept = 4;
    /// Bound on the spans kept; the oldest passes' outlines are forgotten first.
    static constexpr std::size_t kMostBytes = std::size_t{32} << 20;
    /// Recipe numbers one thread of the pool measures within about a frame: outlines that may wait are measured at
    /// once when all of them hold fewer per thread.
    static constexpr std::size_t kNumbersInAFrame = 3000;

    /// When an outline is wanted.
    enum class Urgency {
        Now,     ///< Before anything drawn later: the next measure() measures it.
        CanWait, ///< Anything may be drawn in its place until it is measured in the background.
    };

    /// Called when outlines drawn in some other way meanwhile are measured, on the measuring thread; the owner then
    /// calls collect() on its own thread.
    using Measured = std::function<void()>;

    /// Measures on `pool`, the shared one unless given; null measures on the owner thread alone, and in the
    /// background on one thread.
    CoverageCache();
    explicit CoverageCache(kernel::WorkerPool* pool, Measured measured = {});
    /// Waits for what is measured in the background.
    ~CoverageCache();
    CoverageCache(const CoverageCache&) = delete;
    CoverageCache& operator=(const CoverageCache&) = delete;

    /// Starts a drawing pass, with nothing left to measure now: outlines used by none of the last kPassesKept - 1
    /// passes, or beyond the bound, and those left to the background that it has not started on, are forgotten.
    void beginPass();

    /// The outline that `recipe` describes on an image of `size`: remembered, or left for `paint` to find with the
    /// raster backend, by the next measure() when wanted now, else in the background. Stays in place until the next
    /// beginPass(). Waits for the background to finish when it measures an outline wanted now.
    const Outline* coverage(const Recipe& recipe, QSize size, Painting paint, Urgency urgency = Urgency::Now);
    /// Whether coverage() left outlines for measure().
    bool unmeasured() const { return !m_unmeasured.empty(); }
    /// Whether coverage() left outlines for the background.
    bool waiting() const { return !m_waiting.empty(); }
    /// Measures, in parallel, every outline coverage() left for it, and those that may wait when the pool is free
    /// and would measure them within about a frame. The caller then draws what is still unmeasured some other way,
    /// until the background has measured it. On the owner thread alone while the background holds the pool.
    void measure();
    /// Hands what may wait to the background unless it is busy, without waiting for it; collect() hands on the rest.
    void measureInBackground();
    /// Takes what the background has measured and starts on what waits. True when outlines drawn some other way
    /// were measured since the last call, so what was drawn in their place can be drawn again.
    bool collect();
    /// Whether outlines are measured in the background, or wait for it, or were measured and not yet collected.
    bool measuring() const { return !m_inFlight.empty() || !m_waiting.empty(); }

    /// The outlines held.
    std::size_t size() const { return m_entries.size(); }

private:
    using Entry = Outline;
    struct Background;

    static std::vector<Span> rasterize(const Entry& entry);
    /// Measures `entries` on `pool`, or on the calling thread alone when null.
    static void measureOn(kernel::WorkerPool* pool, std::vector<Entry*> entries);
    /// Whether the pool would measure what waits within about a frame.
    bool waitingIsQuick() const;
    /// Leaves what waits to measure().
    void measureWaitingNow();
    /// Starts the background thread unless it runs; false when no thread can be had.
    bool startBackground();
    /// Hands what waits to the background.
    void startBatch();
    bool batchDone() const;
    /// Waits for the background batch and takes what it measured.
    void finishBatch();

    kernel::WorkerPool* m_pool = nullptr;
    Measured m_measured;
    std::unordered_multimap<std::uint64_t, Entry> m_entries;
    std::vector<Entry*> m_unmeasured;
    std::vector<Entry*> m_waiting;
    /// What the background measures now.
    std::vector<Entry*> m_inFlight;
    std::unique_ptr<Background> m_background;
    bool m_collected = false;
    unsigned m_pass = 0;
};

/// One outline held: its recipe, and the pixels it covers once measured. Owner thread only.
class CoverageCache::Outline {
public:
    const Recipe& recipe() const { return m_recipe; }
    bool measured() const { return m_state == State::Measured; }
    /// Empty until measured.
    const std::vector<Span>& spans() const { return m_spans; }

private:
    friend class CoverageCache;
    enum class State {
        Measured,
        Unmeasured, ///< Left to measure().
        Waiting,    ///< Left to measureInBackground().
        Measuring,  ///< In the background, whose thread alone touches the spans and the painting.
    };

    Outline(Recipe recipe, QSize size, unsigned pass, State state, Painting paint)
        : m_recipe(std::move(recipe)), m_size(size), m_pass(pass), m_state(state), m_paint(std::move(paint))
    {
    }

    Recipe m_recipe;
    QSize m_size;
    std::vector<Span> m_spans;
    unsigned m_pass = 0;
    State m_state = State::Measured;
    Painting m_paint;         ///< Until measured.
    bool m_drawnFast = false; ///< Drawn some other way while it waited, so drawn again once measured.
};

} // namespace platform::gfx
