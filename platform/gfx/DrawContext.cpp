#include "platform/gfx/DrawContext.h"

#include <array>
#include <cassert>

namespace platform::gfx {

void DrawContext::save()
{
    m_saved.push_back(m_state);
    onSave();
}

void DrawContext::restore()
{
    assert(!m_saved.empty() && "restore() without save()");
    if (m_saved.empty()) {
        return;
    }
    m_state = m_saved.back();
    m_saved.pop_back();
    onRestore();
}

void DrawContext::lineTo(Point point)
{
    const std::array<Point, 2> line = {m_state.currentPosition, point};
    m_state.currentPosition = point;
    polyline(line);
}

} // namespace platform::gfx
