#include "talvoboard/TargetWidget.h"

#include "platform/gfx/DrawContextQt.h"
#include "platform/kernel/WorkerPool.h"
#include "platform/ui/MessageWindow.h"

#include <QPainter>

namespace talvoboard {

namespace {

constexpr UINT kMeasured = 1;

} // namespace

TargetWidget::TargetWidget(Painter paintAll)
    : m_paintAll(std::move(paintAll)), m_window(std::make_unique<platform::ui::MessageWindow>()),
      m_coverage(&platform::kernel::WorkerPool::shared(), [window = m_window.get()] {
          // Coalesced: one collect takes whatever has been measured by then.
          (void)window->postOnce(kMeasured, 0, 0);
      })
{
    m_window->setHandler(kMeasured, [this](WPARAM, LPARAM) { measured(); });
    // The control paints every pixel itself.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setLayoutDirection(Qt::LeftToRight);
}

TargetWidget::~TargetWidget() = default;

void TargetWidget::measured()
{
    if (m_coverage.collect()) {
        invalidate();
    }
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
        // The window may show a trace drawn fast for a frame; the exact one replaces it once measured.
        context.setCoverageCache(&m_coverage, platform::gfx::DrawContextQt::NewLines::FastFirst);
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
