#include "platform/gfx/CoverageCache.h"

#include "platform/kernel/Mutex.h"
#include "platform/kernel/Thread.h"
#include "platform/kernel/WorkerPool.h"

#include <algorithm>
#include <cassert>
#include <condition_variable>
#include <iterator>
#include <utility>

namespace platform::gfx {

using kernel::LockGuard;

namespace {

constexpr QRgb kUncovered = 0xFF000000;
constexpr QRgb kCovered = 0xFFFFFFFF;

std::uint64_t mix(std::uint64_t hash, std::uint64_t value)
{
    return (hash ^ value) * 0x9E3779B97F4A7C15u;
}

std::uint64_t keyOf(const CoverageCache::Recipe& recipe, QSize size)
{
    std::uint64_t hash = mix(static_cast<std::uint32_t>(size.width()), static_cast<std::uint32_t>(size.height()));
    for (const LONG number : recipe) {
        hash = mix(hash, static_cast<std::uint32_t>(number));
    }
    return hash;
}

} // namespace

/// The thread that hands outlines to the pool for the owner, kept between batches so it starts once.
struct CoverageCache::Background {
    kernel::Mutex mutex;
    std::condition_variable_any changed;
    std::vector<Entry*> handed TALVO_GUARDED_BY(mutex);
    bool done TALVO_GUARDED_BY(mutex) = false;
    bool stopping TALVO_GUARDED_BY(mutex) = false;
    /// Last, so it is joined before the rest goes.
    std::unique_ptr<kernel::Thread> thread;
};

CoverageCache::CoverageCache() : CoverageCache(&kernel::WorkerPool::shared()) {}

CoverageCache::CoverageCache(kernel::WorkerPool* pool, Measured measured)
    : m_pool(pool), m_measured(std::move(measured))
{
}

CoverageCache::~CoverageCache()
{
    if (m_background) {
        {
            kernel::LockGuard guard(m_background->mutex);
            m_background->stopping = true;
        }
        m_background->changed.notify_all();
        m_background.reset(); // Joins the thread once its batch, whose outlines go with the cache, is measured.
    }
}

void CoverageCache::beginPass()
{
    assert(m_unmeasured.empty() && "a pass began with outlines left unmeasured");
    ++m_pass;
    // What waits for the background is wanted again by this pass if it still is.
    m_waiting.clear();
    const auto forgotten = [this](const Entry& entry, unsigned age) {
        return entry.m_state == Entry::State::Waiting ||
               (entry.m_state != Entry::State::Measuring && m_pass - entry.m_pass >= age);
    };
    std::erase_if(m_entries, [&](const auto& entry) { return forgotten(entry.second, kPassesKept); });
    // Over the bound, whole passes go, the oldest first, so what stays is what a zoom back needs.
    std::size_t bytes = 0;
    std::vector<std::size_t> byAge(kPassesKept, 0);
    for (const auto& [key, entry] : m_entries) {
        if (entry.m_state == Entry::State::Measuring) {
            continue; // Its spans are being written; it is counted once measured.
        }
        const std::size_t held = entry.m_spans.size() * sizeof(Span) + entry.m_recipe.size() * sizeof(LONG);
        bytes += held;
        byAge[std::min<unsigned>(m_pass - entry.m_pass, kPassesKept - 1)] += held;
    }
    unsigned oldest = kPassesKept;
    while (bytes > kMostBytes && oldest > 1) {
        bytes -= byAge[--oldest];
    }
    if (oldest < kPassesKept) {
        std::erase_if(m_entries, [&](const auto& entry) { return forgotten(entry.second, oldest); });
    }
}

const CoverageCache::Outline* CoverageCache::coverage(const Recipe& recipe, QSize size, Painting paint, Urgency urgency)
{
    const std::uint64_t key = keyOf(recipe, size);
    const auto [first, last] = m_entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
        Entry& entry = it->second;
        if (entry.m_size != size || entry.m_recipe != recipe) {
            continue;
        }
        entry.m_pass = m_pass;
        if (urgency == Urgency::Now && entry.m_state == Entry::State::Measuring) {
            finishBatch();
        } else if (urgency == Urgency::Now && entry.m_state == Entry::State::Waiting) {
            std::erase(m_waiting, &entry);
            entry.m_state = Entry::State::Unmeasured;
            m_unmeasured.push_back(&entry);
            if (entry.m_drawnFast) {
                // What was drawn in its place is drawn again, as when the background measures it.
                m_collected = true;
                if (m_measured) {
                    m_measured();
                }
            }
        }
        return &entry;
    }
    const Entry::State state = urgency == Urgency::Now ? Entry::State::Unmeasured : Entry::State::Waiting;
    Entry& entry = m_entries.emplace(key, Entry(recipe, size, m_pass, state, std::move(paint)))->second;
    (urgency == Urgency::Now ? m_unmeasured : m_waiting).push_back(&entry);
    return &entry;
}

bool CoverageCache::waitingIsQuick() const
{
    if (!m_inFlight.empty() ||
        std::any_of(m_waiting.begin(), m_waiting.end(), [](const Entry* entry) { return entry->m_drawnFast; })) {
        return false; // The pool is busy, or the background will have to be waited for anyway.
    }
    std::size_t numbers = 0;
    for (const Entry* entry : m_waiting) {
        numbers += entry->m_recipe.size();
    }
    return numbers <= kNumbersInAFrame * (m_pool == nullptr ? 1 : m_pool->threads());
}

void CoverageCache::measureWaitingNow()
{
    for (Entry* entry : m_waiting) {
        entry->m_state = Entry::State::Unmeasured;
    }
    m_unmeasured.insert(m_unmeasured.end(), m_waiting.begin(), m_waiting.end());
    m_waiting.clear();
}

void CoverageCache::measure()
{
    // Measured within a frame, what may wait is not worth drawing twice.
    if (!m_waiting.empty() && waitingIsQuick()) {
        measureWaitingNow();
    }
    for (Entry* entry : m_waiting) {
        entry->m_drawnFast = true;
    }
    if (m_unmeasured.empty()) {
        return;
    }
    // The background holds the pool until it is done: waiting for it would hold up the owner as long.
    measureOn(m_inFlight.empty() ? m_pool : nullptr, m_unmeasured);
    for (Entry* entry : m_unmeasured) {
        entry->m_state = Entry::State::Measured;
    }
    m_unmeasured.clear();
}

void CoverageCache::measureOn(kernel::WorkerPool* pool, std::vector<Entry*> entries)
{
    // Longest first, so no long trace is left to start last.
    std::stable_sort(entries.begin(), entries.end(),
                     [](const Entry* a, const Entry* b) { return a->m_recipe.size() > b->m_recipe.size(); });
    std::vector<kernel::WorkerPool::Job> jobs;
    jobs.reserve(entries.size());
    for (Entry* entry : entries) {
        jobs.emplace_back([entry] {
            entry->m_spans = rasterize(*entry);
            entry->m_paint = nullptr;
        });
    }
    if (pool != nullptr && jobs.size() > 1) {
        pool->run(jobs);
        return;
    }
    for (const kernel::WorkerPool::Job& job : jobs) {
        job();
    }
}

void CoverageCache::measureInBackground()
{
    if (m_inFlight.empty() && !m_waiting.empty()) {
        startBatch();
    }
}

bool CoverageCache::startBackground()
{
    if (m_background) {
        return true;
    }
    auto background = std::make_unique<Background>();
    auto thread = kernel::Thread::start([raw = background.get(), pool = m_pool, measured = m_measured](
                                            kernel::Event& /*stopEvent: the cache's own flag wakes the wait*/) {
        for (;;) {
            std::vector<Entry*> entries;
            {
                LockGuard guard(raw->mutex);
                raw->changed.wait(raw->mutex,
                                  [raw]() TALVO_REQUIRES(raw->mutex) { return raw->stopping || !raw->handed.empty(); });
                if (raw->stopping) {
                    return;
                }
                entries = std::exchange(raw->handed, {});
            }
            measureOn(pool, std::move(entries));
            {
                LockGuard guard(raw->mutex);
                raw->done = true;
            }
            raw->changed.notify_all();
            if (measured) {
                measured();
            }
        }
    });
    if (!thread) {
        return false;
    }
    background->thread = std::move(thread.value());
    m_background = std::move(background);
    return true;
}

void CoverageCache::startBatch()
{
    if (!startBackground()) {
        // No thread to spare: measured here, and the owner told as the background would.
        measureWaitingNow();
        measure();
        m_collected = true;
        if (m_measured) {
            m_measured();
        }
        return;
    }
    m_inFlight = std::exchange(m_waiting, {});
    for (Entry* entry : m_inFlight) {
        entry->m_state = Entry::State::Measuring;
    }
    {
        LockGuard guard(m_background->mutex);
        m_background->handed = m_inFlight;
        m_background->done = false;
    }
    m_background->changed.notify_all();
}

bool CoverageCache::batchDone() const
{
    LockGuard guard(m_background->mutex);
    return m_background->done;
}

void CoverageCache::finishBatch()
{
    if (m_inFlight.empty()) {
        return;
    }
    {
        LockGuard guard(m_background->mutex);
        m_background->changed.wait(m_background->mutex,
                                   [this]() TALVO_REQUIRES(m_background->mutex) { return m_background->done; });
        m_background->done = false;
    }
    for (Entry* entry : m_inFlight) {
        entry->m_state = Entry::State::Measured;
    }
    m_inFlight.clear();
    m_collected = true;
}

bool CoverageCache::collect()
{
    if (!m_inFlight.empty() && batchDone()) {
        finishBatch();
    }
    measureInBackground();
    return std::exchange(m_collected, false);
}

std::vector<CoverageCache::Span> CoverageCache::rasterize(const Entry& entry)
{
    // Black but for the outline being measured; one per thread, as large as the largest outline it measured, to
    // save an allocation per outline where small figures and wide lines across the device take turns.
    thread_local QImage scratch;
    if (scratch.width() < entry.m_size.width() || scratch.height() < entry.m_size.height()) {
        scratch = QImage(scratch.size().expandedTo(entry.m_size), QImage::Format_RGB32);
        scratch.fill(kUncovered);
    }
    std::vector<Span> spans;
    if (scratch.isNull()) {
        return spans;
    }
    QRectF painted;
    {
        QPainter painter(&scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painted = entry.m_paint(painter, QColor(kCovered), entry.m_recipe);
    }
    // An aliased fill takes only pixels whose centres lie inside the outline. What it painted beyond the outline's
    // own size is cleared but not kept, as the device it stands for would not show it.
    const QRect box = painted.toAlignedRect().adjusted(-1, -1, 1, 1) & scratch.rect();
    const QRect kept = box & QRect(QPoint(), entry.m_size);
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(scratch.scanLine(y));
        if (y >= kept.top() && y <= kept.bottom()) {
            QRgb* const end = line + kept.right() + 1;
            for (QRgb* pixel = line + kept.left(); pixel != end;) {
                QRgb* const start = std::find(pixel, end, kCovered);
                pixel = std::find(start, end, kUncovered);
                if (start != pixel) {
                    spans.push_back({y, static_cast<int>(start - line), static_cast<int>(pixel - line)});
                }
            }
        }
        std::fill(line + box.left(), line + box.right() + 1, kUncovered);
    }
    return spans;
}

} // namespace platform::gfx
