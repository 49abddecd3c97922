#include "talvodesk/views/ReplayControlWindow.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/trace/ReplayPosition.h"
#include "talvodesk/views/PulseWindow.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IEventParams.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QScrollBar>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>

namespace talvodesk {

using platform::com::ComPtr;

namespace {

ComPtr<IRange> wholeRange(IShot* shot)
{
    ComPtr<IRange> range;
    if (shot && FAILED(shot->Range(0, 0, range.put()))) {
        range.reset();
    }
    return range;
}

float secondsOf(IRange* range, LONG index)
{
    float seconds = 0;
    (void)range->Index2Sec(index, &seconds); // An index the range cannot place reads as 0 s.
    return seconds;
}

QString labelText(float seconds)
{
    return QString::fromStdU16String(ReplaySecondsText(seconds));
}

ScrollCode scrollCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollCode::LineLeft;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollCode::LineRight;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollCode::PageLeft;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollCode::PageRight;
    case QAbstractSlider::SliderMove:
        return ScrollCode::ThumbTrack;
    case QAbstractSlider::SliderToMinimum:
        return ScrollCode::Left;
    case QAbstractSlider::SliderToMaximum:
        return ScrollCode::Right;
    default:
        return ScrollCode::Other;
    }
}

} // namespace

CReplayControlWindow::CReplayControlWindow(QWidget* owner, ReplayControlServices services)
    : QFrame(owner), m_services(std::move(services))
{
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setLineWidth(1);
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
    setFont(QFontDatabase::systemFont(QFontDatabase::GeneralFont));
    const int scroll = style()->pixelMetric(QStyle::PM_ScrollBarExtent);

    // The labels take their texts' widths: the window grows past 12 scroll-bar heights when they need it.
    auto* times = new QHBoxLayout;
    times->setSpacing(QFontMetrics(font()).horizontalAdvance(QLatin1Char(' ')));
    const Qt::Alignment alignments[] = {Qt::AlignLeft, Qt::AlignHCenter, Qt::AlignRight};
    QLabel** labels[] = {&m_left, &m_centre, &m_right};
    for (int i = 0; i < 3; ++i) {
        auto* label = new QLabel(this);
        label->setAlignment(alignments[i] | Qt::AlignVCenter);
        times->addWidget(label, 1);
        *labels[i] = label;
    }
    m_scroll = new QScrollBar(Qt::Horizontal, this);
    m_scroll->setMinimumWidth(12 * scroll);
    m_scroll->setRange(0, 0);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(times);
    layout->addWidget(m_scroll);
    connect(m_scroll, &QScrollBar::actionTriggered, this, &CReplayControlWindow::scrolled);
    hide();
}

CReplayControlWindow::~CReplayControlWindow() = default;

void CReplayControlWindow::SetShot(IShot* shot)
{
    m_shot = ComPtr<IShot>(shot);
    const ComPtr<IRange> range = wholeRange(shot);
    if (!range) {
        hide();
        lower();
        return;
    }
    LONG first = 0;
    LONG last = 0;
    (void)range->get_First(&first); // A range that cannot say is shown as 0..0.
    (void)range->get_Last(&last);
    m_scroll->setRange(first, last);
    const QString start = labelText(secondsOf(range.get(), first));
    const QString end = labelText(secondsOf(range.get(), last));
    // Every time of the range is no wider than its ends: the thirds keep one width while the replay runs.
    const QFontMetrics metrics(font());
    const int widest = std::max(metrics.horizontalAdvance(start), metrics.horizontalAdvance(end));
    for (QLabel* label : {m_left, m_centre, m_right}) {
        label->setMinimumWidth(widest);
    }
    m_left->setText(start);
    m_centre->setText(start);
    m_right->setText(end);
    layout()->activate(); // sized for these texts before it shows
    move(0, 0);
    raise();
    show();
}

void CReplayControlWindow::SetPosition(float seconds)
{
    const ComPtr<IRange> range = wholeRange(m_shot.get());
    if (!range) {
        return;
    }
    LONG index = 0;
    (void)range->Sec2Index(seconds, &index); // Seconds the range cannot place follow its first sample.
    if (m_services.tone) {
        float x = 0;
        float y = 0;
        ComPtr<IEventParams> event;
        ComPtr<IAimingAttr> attributes;
        if (SUCCEEDED(range->get_x(index, &x)) && SUCCEEDED(range->get_y(index, &y)) &&
            SUCCEEDED(range->get_Event(event.put())) && SUCCEEDED(m_shot->get_Attr(attributes.put()))) {
            m_services.tone(x, y, event.get(), attributes.get());
        }
    }
    m_scroll->setValue(index);
    m_centre->setText(labelText(seconds));
    if (!m_services.pulse) {
        return;
    }
    if (const std::optional<LONG> triggerData = TriggerDataIndex(m_shot.get())) {
        ComPtr<IAimingTrace> trace;
        LONG traceIndex = 0;
        LONG value = 0;
        if (SUCCEEDED(m_shot->get_Trace(trace.put())) && SUCCEEDED(m_shot->get_TraceIndex(&traceIndex)) &&
            SUCCEEDED(trace->get_UserData(*triggerData, traceIndex + index, &value))) {
            m_services.pulse->SetTriggerValue(value);
        }
    }
    if (!m_services.data || m_services.data->GetPulseCount() == 0) {
        return;
    }
    DATE shotTime = 0;
    ComPtr<IAimingAttr> attributes;
    if (FAILED(m_shot->get_ShotTime(&shotTime)) || FAILED(m_shot->get_Attr(attributes.put()))) {
        return;
    }
    const std::vector<HeartBeatTimes> beats = ReadHeartBeats(attributes.get());
    m_services.pulse->SetBeatPhase(BeatPhaseAt(beats, shotTime, seconds));
    if (const std::optional<long> rate = PulseRateAt(*m_services.data, shotTime, seconds)) {
        m_services.pulse->SetPulse(static_cast<std::uint16_t>(*rate));
    }
}

std::optional<LONG> CReplayControlWindow::StartReplay(IShot* shot, IAiming* aiming)
{
    ITarget* target = m_services.target;
    const ComPtr<IRange> range = wholeRange(shot);
    if (!target || !range || !aiming) {
        return std::nullopt;
    }
    (void)target->put_EnableUpdate(VARIANT_FALSE); // Each put below is shown by the last one, or not at all.
    (void)target->Clear();
    ComPtr<IAimingAttr> attributes;
    LONG subTarget = 1;
    if (SUCCEEDED(aiming->get_Attr(attributes.put())) && SUCCEEDED(attributes->get_SubTarget(&subTarget))) {
        (void)target->put_SubTarget(subTarget);
    }
    SetShot(shot);
    (void)target->put_ReplayAiming(aiming);
    (void)target->put_ReplayShot(shot);

    VisibleArea area;
    (void)target->get_VisibleLeft(&area.left); // A control without an event shows nothing: an empty area.
    (void)target->get_VisibleTop(&area.top);
    (void)target->get_VisibleWidth(&area.width);
    (void)target->get_VisibleHeight(&area.height);

    std::optional<LONG> triggerScale;
    if (const std::optional<LONG> triggerData = TriggerDataIndex(shot)) {
        triggerScale = LargestTriggerValue(range.get(), *triggerData);
        if (m_services.pulse) {
            m_services.pulse->SetTriggerScale(*triggerScale);
        }
    }
    if (const std::optional<LONG> start = FirstVisibleIndex(range.get(), area)) {
        (void)target->put_ReplayPosition(secondsOf(range.get(), *start));
    }
    if (m_services.matchTimeCounter) {
        m_services.matchTimeCounter();
    }
    (void)target->put_ReplayPaused(VARIANT_FALSE);
    (void)target->put_EnableUpdate(VARIANT_TRUE);
    return triggerScale;
}

void CReplayControlWindow::scrolled(int action)
{
    if (m_services.data) {
        m_services.data->PauseReplay();
    }
    ComPtr<IShot> replayed;
    float position = 0;
    if (!m_services.target || FAILED(m_services.target->get_ReplayShot(replayed.put())) || !replayed ||
        FAILED(m_services.target->get_ReplayPosition(&position))) {
        m_scroll->setSliderPosition(m_scroll->value());
        return;
    }
    const ComPtr<IRange> range = wholeRange(replayed.get());
    LONG rate = 0;
    LONG first = 0;
    LONG last = 0;
    LONG current = 0;
    if (!range || FAILED(range->get_SampleRate(&rate)) || FAILED(range->get_First(&first)) ||
        FAILED(range->get_Last(&last)) || FAILED(range->Sec2Index(position, &current))) {
        m_scroll->setSliderPosition(m_scroll->value());
        return;
    }
    const LONG index = ReplayScrollIndex(scrollCodeOf(action), current, rate, m_scroll->sliderPosition(), first, last);
    m_scroll->setSliderPosition(index);
    if (index != current) {
        const float seconds = secondsOf(range.get(), index);
        (void)m_services.target->put_ReplayPosition(seconds); // Out of the shot's range: the replay stays.
        SetPosition(seconds);
    }
}

} // namespace talvodesk
