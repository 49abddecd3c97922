#include "talvodesk/views/WrappedLabel.h"

#include <algorithm>

namespace talvodesk {

WrappedLabel::WrappedLabel(QWidget* parent) : QLabel(parent)
{
    setWordWrap(true);
}

int WrappedLabel::heightForWidth(int width) const
{
    if (text() != m_text) {
        m_text = text();
        m_heights.fill({});
    }
    const auto known = std::find_if(m_heights.begin(), m_heights.end(),
                                    [width](const Height& height) { return height.width == width; });
    if (known != m_heights.end()) {
        return known->height;
    }
    Height& measured = m_heights[m_next];
    m_next = (m_next + 1) % m_heights.size();
    measured = {width, QLabel::heightForWidth(width)};
    return measured.height;
}

void WrappedLabel::changeEvent(QEvent* event)
{
    // A font, style or direction lays the text out anew.
    m_heights.fill({});
    QLabel::changeEvent(event);
}

} // namespace talvodesk
