#include "talvoboard/internal/ColorIntervals.h"

#include <utility>

namespace talvoboard {

namespace {

/// Cuts entry i wherever a later entry covers part of it; a fully covered entry goes.
void removeOverlaps(std::vector<ColorInterval>& list)
{
    std::size_t i = 0;
    while (i < list.size()) {
        bool removed = false;
        for (std::size_t j = i + 1; j < list.size(); ++j) {
            ColorInterval& current = list[i];
            const ColorInterval later = list[j];
            if (later.from > current.from && later.from < current.to) {
                if (later.to < current.to) {
                    // The later one sits inside: keep the part after it as a new entry right behind this one.
                    list.insert(list.begin() + static_cast<std::ptrdiff_t>(i) + 1,
                                ColorInterval{current.color, later.to, current.to});
                    ++j;
                }
                list[i].to = later.from;
            } else if (later.to > current.from && later.to < current.to) {
                current.from = later.to;
            } else if (later.from <= current.from && later.to >= current.to) {
                list.erase(list.begin() + static_cast<std::ptrdiff_t>(i));
                removed = true;
                break;
            }
        }
        if (!removed) {
            ++i;
        }
    }
}

void sortByStart(std::vector<ColorInterval>& list)
{
    std::size_t k = 1;
    while (k < list.size()) {
        if (list[k].from < list[k - 1].from) {
            std::swap(list[k], list[k - 1]);
            k = 1;
        } else {
            ++k;
        }
    }
}

} // namespace

void ColorIntervals::reset(OLE_COLOR beforeShot, OLE_COLOR afterShot)
{
    m_added = {{beforeShot, -1000.0f, 0.0f}, {afterShot, 0.0f, 1000.0f}};
    m_normalized.clear();
    m_dirty = true;
}

void ColorIntervals::add(float from, float to, OLE_COLOR color)
{
    m_added.push_back({color, from, to});
    m_dirty = true;
}

void ColorIntervals::recolor(std::size_t index, OLE_COLOR color)
{
    if (index < m_added.size()) {
        m_added[index].color = color;
        m_dirty = true;
    }
}

const std::vector<ColorInterval>& ColorIntervals::normalized() const
{
    if (!m_dirty) {
        return m_normalized;
    }
    m_normalized = m_added;
    for (ColorInterval& interval : m_normalized) {
        if (interval.to < interval.from) {
            std::swap(interval.from, interval.to);
        }
    }
    removeOverlaps(m_normalized);
    sortByStart(m_normalized);
    m_dirty = false;
    return m_normalized;
}

} // namespace talvoboard
