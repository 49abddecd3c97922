#include "platform/gfx/CoverageCache.h"

#include <algorithm>
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

void CoverageCache::beginPass()
{
    ++m_pass;
    std::erase_if(m_entries, [this](const auto& entry) { return m_pass - entry.second.pass > 1; });
}

const std::vector<CoverageCache::Span>& CoverageCache::coverage(const Recipe& recipe, QSize size, const Painting& paint)
{
    const std::uint64_t key = keyOf(recipe, size);
    const auto [first, last] = m_entries.equal_range(key);
    for (auto it = first; it != last; ++it) {
        Entry& entry = it->second;
        if (entry.size == size && entry.recipe == recipe) {
            entry.pass = m_pass;
            return entry.spans;
        }
    }
    Entry entry{recipe, size, rasterize(paint, size), m_pass};
    return m_entries.emplace(key, std::move(entry))->second.spans;
}

std::vector<CoverageCache::Span> CoverageCache::rasterize(const Painting& paint, QSize size)
{
    if (m_scratch.size() != size) {
        m_scratch = QImage(size, QImage::Format_RGB32);
        m_scratch.fill(kUncovered);
    }
    std::vector<Span> spans;
    if (m_scratch.isNull()) {
        return spans;
    }
    QRectF painted;
    {
        QPainter painter(&m_scratch);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painted = paint(painter, QColor(kCovered));
    }
    // An aliased fill takes only pixels whose centres lie inside the outline.
    const QRect box = painted.toAlignedRect().adjusted(-1, -1, 1, 1) & m_scratch.rect();
    for (int y = box.top(); y <= box.bottom(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(m_scratch.scanLine(y));
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
