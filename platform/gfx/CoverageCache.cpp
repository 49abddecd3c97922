#include "platform/gfx/CoverageCache.h"

#include "platform/kernel/WorkerPool.h"

#include <algorithm>
#include <cassert>
#include <iterator>

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

CoverageCache::CoverageCache() : CoverageCache(&kernel::WorkerPool::shared()) {}

CoverageCache::CoverageCache(kernel::WorkerPool* pool) : m_pool(pool) {}

void CoverageCache::beginPass()
{
    assert(m_unmeasured.empty() && "a pass began with outlines left unmeasured");
    ++m_pass;
    std::erase_if(m_entries, [this](const auto& entry) { return m_pass - entry.second.pass >= kPassesKept; });
    // Over the bound, whole passes go, the oldest first, so what stays is what a zoom back needs.
    std::size_t bytes = 0;
    std::vector<std::size_t> byAge(kPassesKept, 0);
    for (const auto& [key, entry] : m_entries) {
        const std::size_t held = entry.spans.size() * sizeof(Span) + entry.recipe.size() * sizeof(LONG);
        bytes += held;
        byAge[m_pass - entry.pass] += held;
    }
    unsigned oldest = kPassesKept;
    while (bytes > kMostBytes && oldest > 1) {
        bytes -= byAge[--oldest];
    }
    if (oldest < kPassesKept) {
        std::erase_if(m_entries, [this, oldest](const auto& entry) { return m_pass - entry.second.pass >= oldest; });
    }
}

const std::vector<CoverageCache::Span>* CoverageCache::coverage(const Recipe& recipe, QSize size, Painting paint)
{
    const std::uint64_t key = keyOf(recipe, size);
    const auto [first, last] = m_entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
        Entry& entry = it->second;
        if (entry.size == size && entry.recipe == recipe) {
            entry.pass = m_pass;
            return &entry.spans;
        }
    }
    Entry& entry = m_entries.emplace(key, Entry{recipe, size, {}, m_pass, std::move(paint)})->second;
    m_unmeasured.push_back(&entry);
    return &entry.spans;
}

void CoverageCache::measure()
{
    if (m_unmeasured.empty()) {
        return;
    }
    std::vector<kernel::WorkerPool::Job> jobs;
    jobs.reserve(m_unmeasured.size());
    // Longest first, so no long trace is left to start last.
    std::stable_sort(m_unmeasured.begin(), m_unmeasured.end(),
                     [](const Entry* a, const Entry* b) { return a->recipe.size() > b->recipe.size(); });
    for (Entry* entry : m_unmeasured) {
        jobs.emplace_back([entry] {
            entry->spans = rasterize(*entry);
            entry->paint = nullptr;
        });
    }
    if (m_pool != nullptr) {
        m_pool->run(jobs);
    } else {
        for (const kernel::WorkerPool::Job& job : jobs) {
            job();
        }
    }
    m_unmeasured.clear();
}

std::vector<CoverageCache::Span> CoverageCache::rasterize(const Entry& entry)
{
    // Black but for the outline being measured; one per thread, kept to save an allocation per outline.
    thread_local QImage scratch;
    if (scratch.size() != entry.size) {
        scratch = QImage(entry.size, QImage::Format_RGB32);
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
        painted = entry.paint(painter, QColor(kCovered), entry.recipe);
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
