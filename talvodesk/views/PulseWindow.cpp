#include "talvodesk/views/PulseWindow.h"

#include "platform/gfx/DrawContextQt.h"

#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace talvodesk {

using platform::gfx::Rect;

CPulseWindow::CPulseWindow(QWidget* parent) : QWidget(parent)
{
    setCursor(Qt::ArrowCursor);
    setBackgroundRole(QPalette::Light);
    setAutoFillBackground(true);
}

void CPulseWindow::SetFlags(bool pulse, bool trigger)
{
    m_state = PulsePanelState{pulse, trigger};
    relayout();
    update();
}

void CPulseWindow::SetPulse(std::uint16_t value)
{
    if (value != m_state.pulse) {
        m_state.pulse = value;
        repaintPart(m_layout.text);
    }
}

void CPulseWindow::SetBeatPhase(std::int32_t phase)
{
    if (phase != m_state.beatPhase) {
        m_state.beatPhase = phase;
        repaintPart(m_layout.heart);
    }
}

void CPulseWindow::SetTriggerValue(std::int32_t value)
{
    if (value != m_state.triggerValue) {
        m_state.triggerValue = value;
        repaintPart(m_layout.bar);
    }
}

void CPulseWindow::SetTriggerScale(std::int32_t value)
{
    if (value != m_state.triggerScale) {
        m_state.triggerScale = RaisedTriggerScale(value);
        repaintPart(m_layout.bar);
    }
}

void CPulseWindow::paintEvent(QPaintEvent* event)
{
    QImage image(size(), QImage::Format_RGB32);
    image.fill(palette().color(QPalette::Light));
    {
        platform::gfx::DrawContextQt context(image);
        PaintPulsePanel(context, m_state, m_layout);
    }
    QPainter painter(this);
    painter.drawImage(event->rect(), image, event->rect());
}

void CPulseWindow::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    relayout();
}

void CPulseWindow::relayout()
{
    m_layout = LayoutPulsePanel({0, 0, width(), height()}, m_state.showPulse, m_state.showTrigger);
}

void CPulseWindow::repaintPart(const Rect& part)
{
    update(QRect(part.left, part.top, part.width(), part.height()));
}

} // namespace talvodesk
