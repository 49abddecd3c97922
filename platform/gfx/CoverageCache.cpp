#include "platform/gfx/CoverageCache.h"

#include "platform/kernel/Thread.h"
#include "platform/kernel/WorkerPool.h"

#include <algorithm>
#include <atomic>
#include <cassert>
#include <iterator>
#include <utility>

namespace platform::gfx {

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

/// What the background measures: its outlines, and the thread that hands them to the pool.
struct CoverageCache::Batch {
    std::vector<Entry*> entries;
    std::atomic<bool> done = false;
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
    m_batch.reset(); // Joins the thread, whose outlines go with the cache.
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
        }
        return &entry;
    }
    const Entry::State state = urgency == Urgency::Now ? Entry::State::Unmeasured : Entry::State::Waiting;
    Entry& entry = m_entries.emplace(key, Entry(recipe, size, m_pass, state, std::move(paint)))->second;
    (urgency == Urgency::Now ? m_unmeasured : m_waiting).push_back(&entry);
    return &entry;
}

void CoverageCache::measure()
{
    if (m_unmeasured.empty()) {
        return;
    }
    // The background holds the pool until it is done: waiting for it would hold up the owner as long.
    measureOn(m_batch ? nullptr : m_pool, m_unmeasured);
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

std::size_t CoverageCache::waitingNumbers() const
{
    std::size_t numbers = 0;
    for (const Entry* entry : m_waiting) {
        numbers += entry->m_recipe.size();
    }
    return numbers;
}

void CoverageCache::measureInBackground()
{
    if (m_waiting.empty()) {
        return;
    }
    // A pool done within a frame is not worth drawing anything else first.
    const std::size_t threads = m_batch || m_pool == nullptr ? 1 : m_pool->threads();
    if (waitingNumbers() <= kNumbersInAFrame * threads) {
        for (Entry* entry : m_waiting) {
            entry->m_state = Entry::State::Unmeasured;
        }
        m_unmeasured.insert(m_unmeasured.end(), m_waiting.begin(), m_waiting.end());
        m_waiting.clear();
        measure();
        return;
    }
    if (!m_batch) {
        startBatch();
    }
}

void CoverageCache::startBatch()
{
    auto batch = std::make_unique<Batch>();
    batch->entries = std::move(m_waiting);
    m_waiting.clear();
    for (Entry* entry : batch->entries) {
        entry->m_state = Entry::State::Measuring;
    }
    auto thread = kernel::Thread::start(
        [raw = batch.get(), pool = m_pool, measured = m_measured](kernel::Event& /*stopEvent: the work is bounded*/) {
            measureOn(pool, raw->entries);
            raw->done = true;
            if (measured) {
                measured();
            }
        });
    if (!thread) {
        // No thread to spare: measured here, and the owner told as the background would.
        for (Entry* entry : batch->entries) {
            entry->m_state = Entry::State::Unmeasured;
        }
        m_unmeasured.insert(m_unmeasured.end(), batch->entries.begin(), batch->entries.end());
        measure();
        m_collected = true;
        if (m_measured) {
            m_measured();
        }
        return;
    }
    batch->thread = std::move(thread.value());
    m_batch = std::move(batch);
}

void CoverageCache::finishBatch()
{
    if (!m_batch) {
        return;
    }
    m_batch->thread.reset(); // Joins it: every outline of the batch is measured.
    for (Entry* entry : m_batch->entries) {
        entry->m_state = Entry::State::Measured;
    }
    m_batch.reset();
    m_collected = true;
}

bool CoverageCache::collect()
{
    if (m_batch && m_batch->done) {
        finishBatch();
    }
    if (!m_batch && !m_waiting.empty()) {
        startBatch();
    }
    return std::exchange(m_collected, false);
}

std::vector<CoverageCache::Span> CoverageCache::rasterize(const Entry& entry)
{
    // Black but for the outline being measured; one per thread, kept to save an allocation per outline.
    thread_local QImage scratch;
    if (scratch.size() != entry.m_size) {
        scratch = QImage(entry.m_size, QImage::Format_RGB32);
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
    // An aliased fill takes only pixels whose centres lie inside the outline.
    const QRect box = painted.toAlignedRect().adjusted(-1, -1, 1, 1) & scratch.rect();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(scratch.scanLine(y));
        QRgb* const end = line + box.right() + 1;
        for (QRgb* pixel = line + box.left(); pixel != end;) {
            QRgb* const start = std::find(pixel, end, kCovered);
            pixel = std::find(start, end, kUncovered);
            if (start != pixel) {
                spans.push_back({y, static_cast<int>(start - line), static_cast<int>(pixel - line)});
            }
        }
        std::fill(line + box.left(), end, kUncovered);
    }
    return spans;
}

} // namespace platform::gfx
