#include "talvodesk/views/TraceView.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/events/TargetEventSink.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/FrameServices.h"
#include "talvodesk/views/PulseWindow.h"
#include "talvodesk/views/ReplayControlWindow.h"
#include "talvodesk/views/TargetWindow.h"

#include "interfaces/talvolink/ITalvoDevice.h"
#include "platform/com/ConnectionPoint.h"

#include <QResizeEvent>
#include <QSplitter>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

/// The width of the pulse and trigger panel.
constexpr int kSidePanelWidth = 32;

constexpr bool isOn(VARIANT_BOOL value)
{
    return value == VARIANT_TRUE;
}

} // namespace

CTraceView::CTraceView(Services services, QWidget* parent)
    : QWidget(parent), m_services(services), m_logic(*this, services.options, services.clock, services.tone),
      m_sink(platform::com::makeComObject<TargetEventSink>(m_logic))
{
    setObjectName(QStringLiteral("TraceView"));
    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("TraceSplitter"));
    m_splitter->setChildrenCollapsible(false);

    m_traceWindow = std::make_unique<CTraceWindow>(services.options);
    if (m_traceWindow->Create(m_splitter, QRect(), kTargetWindowStyle, m_sink.get())) {
        m_splitter->addWidget(m_traceWindow->window());
        m_logic.setTarget(m_traceWindow->target());
    }
    m_pulse = new CPulseWindow(m_splitter);
    m_pulse->setObjectName(QStringLiteral("PulseWindow"));
    m_splitter->addWidget(m_pulse);
    m_pulse->hide();

    ReplayControlServices replay;
    replay.data = &services.document;
    replay.target = target();
    replay.pulse = m_pulse;
    replay.tone = [this](float x, float y, IEventParams* event, IAimingAttr* attributes) {
        LONG subTarget = 1;
        if (attributes) {
            (void)attributes->get_SubTarget(&subTarget); // A failed read keeps the first face.
        }
        m_logic.FeedTone(event, subTarget, x, y);
    };
    replay.matchTimeCounter = [this] { m_logic.RefreshTimeCounter(); };
    m_replay = new CReplayControlWindow(this, std::move(replay));
    m_replay->setObjectName(QStringLiteral("ReplayControl"));

    for (std::size_t i = 0; i < m_timers.size(); ++i) {
        connect(&m_timers[i], &QTimer::timeout, this, [this, i] { m_logic.OnTimer(static_cast<int>(i) + 1); });
    }
}

CTraceView::~CTraceView()
{
    for (QTimer& timer : m_timers) {
        timer.stop();
    }
    m_sink->Detach();
    if (CTalvoData* document = m_logic.m_pDocument) {
        document->RemoveView(&m_logic);
    }
}

ITarget* CTraceView::target() const
{
    return m_traceWindow ? m_traceWindow->target().get() : nullptr;
}

QWidget* CTraceView::targetWidget() const
{
    return m_traceWindow ? m_traceWindow->window() : nullptr;
}

void CTraceView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_splitter->setGeometry(rect());
    layoutPanes();
}

bool CTraceView::devicePresent()
{
    return m_services.frame && m_services.frame->devicePresent();
}

bool CTraceView::matchMode()
{
    return m_services.frame && m_services.frame->matchMode();
}

bool CTraceView::deviceSensors(bool& pulse, bool& trigger)
{
    pulse = trigger = false;
    ComPtr<ITalvoDevice> device;
    if (!m_services.frame || !m_services.frame->GetDevice(device.put()) || !device) {
        return false;
    }
    VARIANT_BOOL value = VARIANT_FALSE;
    pulse = SUCCEEDED(device->get_PulseAvailable(&value)) && isOn(value);
    value = VARIANT_FALSE;
    trigger = SUCCEEDED(device->get_TriggerControlAvailable(&value)) && isOn(value);
    return true;
}

void CTraceView::setTimer(int id, std::chrono::milliseconds period)
{
    QTimer& timer = m_timers.at(static_cast<std::size_t>(id) - 1);
    timer.start(static_cast<int>(period.count()));
}

void CTraceView::killTimer(int id)
{
    m_timers.at(static_cast<std::size_t>(id) - 1).stop();
}

void CTraceView::setPulseFlags(bool pulse, bool trigger)
{
    m_pulse->SetFlags(pulse, trigger);
}

bool CTraceView::showsPulse()
{
    return m_pulse->showPulse();
}

bool CTraceView::showsTrigger()
{
    return m_pulse->showTrigger();
}

void CTraceView::setPulse(std::uint16_t beatsPerMinute)
{
    m_pulse->SetPulse(beatsPerMinute);
}

void CTraceView::setBeatPhase(int phase)
{
    m_pulse->SetBeatPhase(phase);
}

void CTraceView::setTriggerValue(int value)
{
    m_pulse->SetTriggerValue(value);
}

void CTraceView::setTriggerScale(int value)
{
    m_pulse->SetTriggerScale(value);
}

void CTraceView::layoutPanes()
{
    const int position = width() - m_splitter->handleWidth() - kSidePanelWidth;
    if ((m_pulse->showPulse() || m_pulse->showTrigger()) && position >= 0) {
        m_pulse->show();
        m_splitter->setSizes({position, kSidePanelWidth});
    } else {
        m_pulse->hide();
    }
    m_pulse->update();
}

void CTraceView::setReplayShot(IShot* shot)
{
    m_replay->SetShot(shot);
}

void CTraceView::setReplayPosition(float seconds)
{
    m_replay->SetPosition(seconds);
}

void CTraceView::startReplay()
{
    CTalvoData* document = m_logic.m_pDocument;
    ComPtr<IShot> shot;
    ComPtr<IAiming> aiming;
    if (!document || !document->IsValid() || !document->GetCurrentShot(shot) || !document->GetCurrentAiming(aiming)) {
        return;
    }
    if (const std::optional<LONG> scale = m_replay->StartReplay(shot.get(), aiming.get())) {
        m_logic.setTriggerScale(static_cast<int>(*scale));
    }
}

} // namespace talvodesk
