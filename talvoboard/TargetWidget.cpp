#include "talvoboard/TargetWidget.h"

#include "platform/gfx/DrawContextQt.h"

#include <QPainter>

namespace talvoboard {

TargetWidget::TargetWidget(Painter paintAll) : m_paintAll(std::move(paintAll))
{
    // The control paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setLayoutDirection(Qt::LeftToRight);
}

void TargetWidget::invalidate()
{
    m_stale = true;
    update();
}

void TargetWidget::drawIncrement(const Painter& painter)
{
    if (!ensureBacking()) {
        return;
    }
    platform::gfx::DrawContextQt context(m_backing);
    painter(context, clientRect());
    update();
}

bool TargetWidget::ensureBacking()
{
    if (m_backing.size() != size()) {
        m_backing = QImage(size(), QImage::Format_RGB32);
        m_stale = true;
    }
    if (m_backing.isNull()) {
        return false;
    }
    if (m_stale) {
        m_stale = false;
        platform::gfx::DrawContextQt context(m_backing);
        // Increments draw what changed only: the outlines of whole drawings are the ones worth keeping.
        m_coverage.beginPass();
        context.setCoverageCache(&m_coverage);
        m_paintAll(context, clientRect());
    }
    return true;
}

void TargetWidget::paintEvent(QPaintEvent* /*event*/)
{
    if (ensureBacking()) {
        QPainter(this).drawImage(0, 0, m_backing);
    }
}

} // namespace talvoboard
