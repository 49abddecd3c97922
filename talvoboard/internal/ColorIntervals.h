#pragma once

#include "platform/com/Types.h"

#include <vector>

namespace talvoboard {

/// One colour of a trace between two times relative to a shot (seconds, negative before it).
struct ColorInterval {
    OLE_COLOR color = 0;
    float from = 0.0f;
    float to = 0.0f;

    friend bool operator==(const ColorInterval&, const ColorInterval&) = default;
};

/// The colour intervals of traces as added, and their normalised form: no overlaps (a later interval wins),
/// sorted by start. Thread rule: guarded by the owning control's lock.
class ColorIntervals {
public:
    /// Starts with the before-shot and after-shot colours.
    ColorIntervals(OLE_COLOR beforeShot, OLE_COLOR afterShot) { reset(beforeShot, afterShot); }

    /// Back to {beforeShot, -1000, 0} and {afterShot, 0, 1000}.
    void reset(OLE_COLOR beforeShot, OLE_COLOR afterShot);
    void add(float from, float to, OLE_COLOR color);
    /// Recolours entry `index` (from 0) of the list as added, whatever interval stands there.
    void recolor(std::size_t index, OLE_COLOR color);

    const std::vector<ColorInterval>& added() const { return m_added; }
    /// Rebuilt on first use after a change.
    const std::vector<ColorInterval>& normalized() const;

private:
    std::vector<ColorInterval> m_added;
    // A cache of m_added's normalised form, filled by the const getter.
    mutable std::vector<ColorInterval> m_normalized;
    mutable bool m_dirty = true;
};

} // namespace talvoboard
