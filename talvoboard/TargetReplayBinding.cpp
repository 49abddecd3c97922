#include "talvoboard/TargetReplayBinding.h"

#include "talvoboard/TargetWidget.h"

#include "interfaces/talvoboard/DispIds.h"

#include <QWidget>

namespace talvoboard {

TargetReplayBinding::TargetReplayBinding(TargetAccess access) : m_access(std::move(access)) {}

TargetOverlay TargetReplayBinding::overlay() const
{
    TargetOverlay shown;
    if (m_replay.isSet()) {
        shown.replayAiming = m_replay.aiming();
        shown.replayPosition = m_replay.position();
        shown.replayPaused = m_replay.isPaused();
        shown.captionShown = m_replay.isCaptionShown();
    }
    return shown;
}

void TargetReplayBinding::attach(QWidget& widget)
{
    QObject::connect(&widget, &QObject::destroyed, m_windowWatch.get(), [this] { m_replay.stopTimer(); });
}

bool TargetReplayBinding::updatesEnabled() const
{
    return m_access.state.enableUpdate;
}
bool TargetReplayBinding::displaysReplayMark() const
{
    return m_access.state.displayReplayMark;
}
float TargetReplayBinding::headingLength() const
{
    return m_access.state.traceHeadingLength;
}

void TargetReplayBinding::refresh()
{
    (void)m_access.target.Refresh();
}

void TargetReplayBinding::drawIncrement(const std::function<void(TargetPainter&)>& draw)
{
    if (!m_access.widget) {
        return;
    }
    m_access.widget->drawIncrement([&](platform::gfx::DrawContext& context, const platform::gfx::Rect& bounds) {
        TargetPainter painter(context, TargetDrawSurface(bounds, m_access.state.visible), m_access.state, overlay());
        draw(painter);
    });
}

void TargetReplayBinding::drawCaption()
{
    drawIncrement([](TargetPainter& painter) { painter.caption(); });
}
void TargetReplayBinding::invalidateCaption()
{
    // The window redraws its image whole, so there is no smaller area to invalidate.
    refresh();
}
void TargetReplayBinding::drawBreachesAndTrace(LONG from, LONG to)
{
    drawIncrement([&](TargetPainter& painter) {
        painter.replayBreaches(/*filled=*/true);
        painter.trace(m_replay.aiming(), from, to);
    });
}
void TargetReplayBinding::drawTrace(LONG from, LONG to)
{
    drawIncrement([&](TargetPainter& painter) { painter.trace(m_replay.aiming(), from, to); });
}
void TargetReplayBinding::drawHeading(LONG from, LONG to)
{
    drawIncrement([&](TargetPainter& painter) { painter.replayHeading(from, to); });
}

void TargetReplayBinding::raise(ReplayEvent event)
{
    switch (event) {
    case ReplayEvent::Started:
        m_access.fire(DISPID_TARGETEVENTS_STARTREPLAY, {});
        return;
    case ReplayEvent::PositionChanged:
        m_access.fire(DISPID_TARGETEVENTS_REPLAYPOSITIONCHANGED, {});
        return;
    case ReplayEvent::Paused:
        m_access.fire(DISPID_TARGETEVENTS_PAUSEREPLAY, {});
        return;
    case ReplayEvent::Ended:
        m_access.fire(DISPID_TARGETEVENTS_ENDREPLAY, {});
        return;
    }
}

} // namespace talvoboard
