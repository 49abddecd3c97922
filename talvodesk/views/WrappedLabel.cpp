#include "talvodesk/views/WrappedLabel.h"

#include <QEvent>
#include <QResizeEvent>

#include <algorithm>

namespace talvodesk {

namespace {

/// The events for which QLabel reads its text's layout: painting and the input it hands to its text.
bool usesTextLayout(QEvent::Type type)
{
    switch (type) {
    case QEvent::Paint:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::KeyPress:
    case QEvent::ContextMenu:
    case QEvent::FocusIn:
    case QEvent::FocusOut:
    case QEvent::Leave:
        return true;
    default:
        return false;
    }
}

} // namespace

WrappedLabel::WrappedLabel(QWidget* parent) : QLabel(parent)
{
    setWordWrap(true);
}

int WrappedLabel::heightForWidth(int width) const
{
    if (text() != m_text) {
        m_text = text();
        forgetHeights();
    }
    // Asked before the label is polished, the hints would polish it.
    if (m_unwrapped.width < 0 && testAttribute(Qt::WA_WState_Polished)) {
        // The minimum height is that of the text with no line wrapped, as every wrap adds a line; a size hint of
        // that height has the text unwrapped at its width, and so at any wider one.
        const QSize hint = sizeHint();
        const int unwrapped = minimumSizeHint().height();
        m_unwrapped = {hint.height() == unwrapped ? hint.width() : QWIDGETSIZE_MAX, unwrapped};
    }
    if (m_unwrapped.width >= 0 && width >= m_unwrapped.width) {
        return m_unwrapped.height;
    }
    const auto known = std::find_if(m_heights.begin(), m_heights.end(),
                                    [width](const Height& height) { return height.width == width; });
    if (known != m_heights.end()) {
        return known->height;
    }
    Height& measured = m_heights[m_next];
    m_next = (m_next + 1) % m_heights.size();
    measured = {width, QLabel::heightForWidth(width)};
    // So narrow and still unwrapped: so is every width from here.
    if (measured.height == m_unwrapped.height && width < m_unwrapped.width) {
        m_unwrapped.width = width;
    }
    return measured.height;
}

void WrappedLabel::forgetHeights() const
{
    m_heights.fill({});
    m_unwrapped = {};
}

bool WrappedLabel::event(QEvent* event)
{
    // QLabel lays its text out anew for the size it has after each resize, before it next measures as much as
    // before it paints; the sizes a page passes through would each cost that.
    if (event->type() == QEvent::Resize) {
        m_resized = true;
        return QFrame::event(event);
    }
    if (m_resized && usesTextLayout(event->type())) {
        m_resized = false;
        QResizeEvent resize(size(), size());
        QLabel::event(&resize);
    }
    return QLabel::event(event);
}

void WrappedLabel::changeEvent(QEvent* event)
{
    // A font, style or direction lays the text out anew.
    forgetHeights();
    QLabel::changeEvent(event);
}

} // namespace talvodesk
