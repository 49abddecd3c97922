#include "talvodesk/core/trace/TraceViewLogic.h"

#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/ShotFacts.h"
#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/frame/SmallWindows.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/options/StringTable.h"
#include "talvodesk/core/options/TextFormat.h"
#include "talvodesk/core/sound/BlindTone.h"

#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <array>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

// Manual zoom is kept below the innermost rings so a later shot's zoom stays useful.
constexpr float kExpertZoomCap = 9.0F;
constexpr float kZoomCap = 7.0F;
constexpr float kExpertStartZoom = 8.0F;
constexpr float kStartZoom = 6.0F;
constexpr std::chrono::milliseconds kFirstZoomStep{10};
constexpr std::chrono::milliseconds kZoomStep{50};
constexpr float kZoomDurationMs = 500.0F;
constexpr std::chrono::milliseconds kTimeCounterPeriod{100};
constexpr std::chrono::milliseconds kBeatPeriod{10};
constexpr std::uint32_t kMillimetresFormat = 61224;

VARIANT_BOOL flag(bool value)
{
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

/// The shot's "_pulse" when it is a 16-bit integer, else 0.
std::uint16_t pulseOf(IShot* shot)
{
    Variant value;
    if (FAILED(shot->get_Value(Bstr("_pulse").get(), value.put())) || value.get().vt != VT_I2) {
        return 0;
    }
    return static_cast<std::uint16_t>(value.get().iVal);
}

bool zoomAnimationDisabled(IEventParams* event)
{
    Variant value;
    return FAILED(event->get_Value(Bstr("_zoom_disable_animation").get(), value.put())) || value.get().vt != VT_EMPTY;
}

} // namespace

TraceViewLogic::TraceViewLogic(TraceViewHost& host, const COptions& options, const platform::time::Clock& clock,
                               BlindTone* tone)
    : m_host(host), m_options(options), m_clock(clock), m_tone(tone)
{
}

bool TraceViewLogic::documentValid() const
{
    return document() && document()->IsValid();
}

bool TraceViewLogic::replayRuns() const
{
    ComPtr<IShot> shot;
    return m_target && SUCCEEDED(m_target->get_ReplayShot(shot.put())) && shot;
}

void TraceViewLogic::OnUpdate(CView*, DocumentHint hint, const HintPayload& payload)
{
    using Handler = void (TraceViewLogic::*)(const HintPayload&);
    struct HintHandler {
        DocumentHint hint;
        Handler handle;
    };
    // Hints not listed leave the view as it is.
    static constexpr std::array kHandlers = {
        HintHandler{HintReset, &TraceViewLogic::onReset},
        HintHandler{HintLanguage, &TraceViewLogic::onLanguage},
        HintHandler{HintCurrentShot, &TraceViewLogic::onCurrentShot},
        HintHandler{HintShotParameters, &TraceViewLogic::onShotParameters},
        HintHandler{HintStartAiming, &TraceViewLogic::onStartAiming},
        HintHandler{HintNewCoordinates, &TraceViewLogic::onNewCoordinates},
        HintHandler{HintShotAdded, &TraceViewLogic::onShotAdded},
        HintHandler{HintConcludeAiming, &TraceViewLogic::onConcludeAiming},
        HintHandler{HintReplayStart, &TraceViewLogic::onReplayStart},
        HintHandler{HintReplayEnd, &TraceViewLogic::onReplayEnd},
        HintHandler{HintReplayPause, &TraceViewLogic::onReplayPause},
        HintHandler{HintPulse, &TraceViewLogic::onPulse},
        HintHandler{HintPracticeStart, &TraceViewLogic::onPracticeStart},
        HintHandler{HintMatch, &TraceViewLogic::onMatch},
        HintHandler{HintPracticeStop, &TraceViewLogic::onPracticeStop},
        HintHandler{HintTrigger, &TraceViewLogic::onTrigger},
        HintHandler{HintReplayRunning, &TraceViewLogic::onReplayRunning},
        HintHandler{HintPositionSet, &TraceViewLogic::onPositionSet},
        HintHandler{HintHeartBeat, &TraceViewLogic::onHeartBeat},
        HintHandler{HintExpertMode, &TraceViewLogic::onExpertMode},
    };
    if (!m_target || !document()) {
        return;
    }
    const auto found = std::find_if(kHandlers.begin(), kHandlers.end(),
                                    [hint](const HintHandler& entry) { return entry.hint == hint; });
    if (found != kHandlers.end()) {
        (this->*found->handle)(payload);
    }
}

void TraceViewLogic::onReset(const HintPayload&)
{
    (void)m_target->put_EnableUpdate(VARIANT_FALSE);
    if (!m_host.devicePresent()) {
        m_liveShot.reset();
    }
    resetStoredZoom();
    m_dx = m_dy = 0;
    if (!documentValid()) {
        ShowAiming(nullptr, nullptr, false);
    } else {
        ComPtr<IEventParams> event;
        if (document()->GetEvent(event) && event) {
            (void)m_target->put_Event(event.get());
        }
        (void)m_target->put_Zoom(m_storedZoom);
        ApplyTargetOptions(true);
        m_host.setPulseFlags(document()->GetPulseCount() > 0, document()->HasTriggerData());
        m_host.layoutPanes();
        showCurrent(true);
    }
    RefreshTimeCounter();
    (void)m_target->put_EnableUpdate(VARIANT_TRUE);
}

void TraceViewLogic::onLanguage(const HintPayload&)
{
    RefreshTimeCounter();
    if (documentValid() && !replayRuns()) {
        showCurrent(false); // The shot's label has words of the language.
    }
}

void TraceViewLogic::onCurrentShot(const HintPayload&)
{
    if (documentValid()) {
        showCurrent(true);
    }
}

void TraceViewLogic::onShotParameters(const HintPayload&)
{
    if (documentValid()) {
        showCurrentShot();
        ApplyTargetOptions(false);
    }
}

void TraceViewLogic::onStartAiming(const HintPayload& payload)
{
    m_dx = m_dy = 0;
    ShowAiming(payload.aiming(), nullptr, false);
    (void)m_target->put_Dragable(VARIANT_TRUE);
    (void)m_target->put_Selectable(VARIANT_TRUE);
    (void)m_target->put_Zoom(m_storedZoom);
    bool pulse = false;
    bool trigger = false;
    if (m_host.devicePresent() && m_host.deviceSensors(pulse, trigger) &&
        (pulse != m_host.showsPulse() || trigger != m_host.showsTrigger())) {
        m_host.setPulseFlags(pulse, trigger);
        m_host.layoutPanes();
    }
}

void TraceViewLogic::onNewCoordinates(const HintPayload& payload)
{
    IAiming* aiming = payload.aiming();
    (void)m_target->UpdateAiming(aiming);
    ComPtr<IAimingTrace> trace;
    LONG last = 0;
    float x = 0;
    float y = 0;
    if (aiming && SUCCEEDED(aiming->get_Trace(trace.put())) && trace && SUCCEEDED(trace->get_Last(&last)) &&
        SUCCEEDED(trace->get_x(last, &x)) && SUCCEEDED(trace->get_y(last, &y))) {
        ComPtr<IEventParams> event;
        if (document()->GetEvent(event)) {
            FeedTone(event.get(), subTargetOf(aiming).value_or(1), x, y);
        }
    }
}

void TraceViewLogic::onShotAdded(const HintPayload& payload)
{
    const auto* added = payload.get<ShotAddedHint>();
    IAiming* aiming = payload.aiming();
    (void)m_target->UpdateAiming(aiming);
    m_liveShot = ComPtr<IShot>(added ? added->shot : nullptr);
    ShowShot(aiming, m_liveShot.get(), true);
    RefreshTimeCounter();
}

void TraceViewLogic::onConcludeAiming(const HintPayload& payload)
{
    (void)m_target->UpdateAiming(payload.aiming());
    StopTone();
}

void TraceViewLogic::onReplayStart(const HintPayload&)
{
    m_host.startReplay();
}

void TraceViewLogic::onReplayEnd(const HintPayload&)
{
    m_host.setReplayShot(nullptr);
    showCurrent(false);
    StopTone();
}

void TraceViewLogic::onReplayPause(const HintPayload& payload)
{
    if (const auto* pause = payload.get<ReplayPauseHint>()) {
        (void)m_target->put_ReplayPaused(flag(pause->paused));
    }
}

void TraceViewLogic::onPulse(const HintPayload&)
{
    showLastPulse();
}

void TraceViewLogic::onPracticeStart(const HintPayload&)
{
    m_previousBeat = m_lastBeat = 0;
    m_triggerMax = m_triggerScale = 0;
    m_liveShot.reset();
    m_host.setPulseFlags(false, false);
    if (m_host.devicePresent()) {
        bool pulse = false;
        bool trigger = false;
        (void)m_host.deviceSensors(pulse, trigger); // Without a device both stay off.
        m_host.setPulseFlags(pulse, trigger);
        (void)m_target->put_Match(flag(m_host.matchMode()));
    }
    m_host.layoutPanes();
    m_host.setTimer(TimerTimeCounter, kTimeCounterPeriod);
    if (m_host.showsPulse()) {
        m_host.setTimer(TimerBeat, kBeatPeriod);
    }
}

void TraceViewLogic::onMatch(const HintPayload&)
{
    (void)m_target->put_Match(VARIANT_TRUE);
}

void TraceViewLogic::onPracticeStop(const HintPayload&)
{
    m_liveShot.reset();
    RefreshTimeCounter();
    m_host.killTimer(TimerTimeCounter);
    m_host.killTimer(TimerBeat);
}

void TraceViewLogic::onTrigger(const HintPayload& payload)
{
    const auto* trigger = payload.get<TriggerHint>();
    if (!trigger || trigger->readings.empty() || replayRuns()) {
        return;
    }
    m_triggerMax = std::max(m_triggerMax, *std::max_element(trigger->readings.begin(), trigger->readings.end()));
    m_host.setTriggerScale(m_triggerScale >= 2 ? m_triggerScale : m_triggerMax);
    m_host.setTriggerValue(trigger->readings.back());
}

void TraceViewLogic::onReplayRunning(const HintPayload& payload)
{
    const auto* question = payload.get<AnswerHint>();
    if (question && question->answer && replayRuns()) {
        *question->answer = true;
    }
}

void TraceViewLogic::onPositionSet(const HintPayload& payload)
{
    ShowAiming(nullptr, nullptr, false);
    if (const auto* position = payload.get<PositionHint>()) {
        (void)m_target->put_SubTarget(position->subTarget);
    }
}

void TraceViewLogic::onHeartBeat(const HintPayload& payload)
{
    if (const auto* beat = payload.get<HeartBeatHint>()) {
        m_previousBeat = m_lastBeat;
        m_lastBeat = beat->latest;
    }
    showLastPulse();
}

void TraceViewLogic::onExpertMode(const HintPayload&)
{
    resetStoredZoom();
    if (documentValid()) {
        showCurrentShot();
        ApplyTargetOptions(true);
    }
}

void TraceViewLogic::resetStoredZoom()
{
    m_storedZoom = m_options.advancedMode ? kExpertStartZoom : kStartZoom;
}

void TraceViewLogic::showCurrent(bool zoom)
{
    ComPtr<IAiming> aiming;
    ComPtr<IShot> shot;
    (void)document()->GetCurrentAiming(aiming);
    (void)document()->GetCurrentShot(shot);
    ShowAiming(aiming.get(), shot.get(), zoom);
}

void TraceViewLogic::showCurrentShot()
{
    ComPtr<IAiming> aiming;
    ComPtr<IShot> shot;
    (void)document()->GetCurrentAiming(aiming);
    (void)document()->GetCurrentShot(shot);
    ShowShot(aiming.get(), shot.get(), true);
}

void TraceViewLogic::showLastPulse()
{
    if (!replayRuns()) {
        m_host.setPulse(document()->GetPulse());
    }
}

void TraceViewLogic::ShowAiming(IAiming* aiming, IShot* shot, bool zoom)
{
    (void)m_target->put_EnableUpdate(VARIANT_FALSE);
    (void)m_target->Clear();
    m_host.setReplayShot(nullptr);
    ComPtr<IShot> shown(shot);
    if (aiming) {
        (void)m_target->Add(aiming);
        if (!shown && document()) {
            (void)document()->GetCurrentShot(shown);
        }
    }
    ShowShot(aiming, shown.get(), zoom);
    RefreshTimeCounter();
    (void)m_target->put_EnableUpdate(VARIANT_TRUE);
}

void TraceViewLogic::ShowShot(IAiming* aiming, IShot* shot, bool zoom)
{
    if (!m_target) {
        return;
    }
    VARIANT_BOOL match = flag(!m_host.devicePresent() || m_host.matchMode());
    if (ComPtr<IAimingAttr> attributes = attributesOf(aiming)) {
        (void)attributes->get_Match(&match);
        (void)m_target->put_SubTarget(subTargetOf(aiming).value_or(1));
    }
    const bool live = shot && shot == m_liveShot.get();
    std::u16string label;
    std::uint16_t pulse = 0;
    if (shot) {
        (void)m_target->ClearElements();
        VARIANT_BOOL missed = VARIANT_FALSE;
        float result = 0;
        (void)shot->get_Missed(&missed);
        (void)shot->get_Result(&result);
        if (live && (m_dx != 0 || m_dy != 0)) {
            (void)m_target->SetShotCorrection(shot, m_dx, m_dy);
        }
        if (m_options.targetResult && (!document() || document()->GetEventCode() != kBiathlonEventCode)) {
            AppendFormattedFloat(label, result, u" %-3.1f ");
        }
        if (missed != VARIANT_TRUE) {
            const float interval = document() ? document()->ControlInterval() : 1.0F;
            ComPtr<IRange> range;
            float x = 0;
            float y = 0;
            if (SUCCEEDED(shot->Range(-interval, 0, range.put())) && range && SUCCEEDED(range->get_AveragePointX(&x)) &&
                SUCCEEDED(range->get_AveragePointY(&y))) {
                (void)AddCrossMark(m_target.get(), x, y);
                float length = 0;
                if (m_options.targetLen && SUCCEEDED(range->get_Length(&length))) {
                    label += u' ';
                    AppendFormattedFloat(label, length,
                                         document() ? document()->LoadString(kMillimetresFormat)
                                                    : StringTable::englishText(kMillimetresFormat));
                    label += u' ';
                }
            }
        }
        float current = 0;
        const float wanted = std::min(std::max(result - 1.0F, 0.0F), m_storedZoom);
        if (zoom && SUCCEEDED(m_target->get_Zoom(&current)) && wanted != current) {
            StartSmoothZoom(wanted);
        }
        pulse = pulseOf(shot);
    }
    (void)m_target->put_Match(match);
    (void)m_target->put_Label(1, Bstr(label).get());
    (void)m_target->put_Dragable(flag(live));
    (void)m_target->put_Selectable(flag(live));
    // Fails unless a replay aiming holds the shot; the replay start sets both.
    (void)m_target->put_ReplayShot(shot);
    m_host.setBeatPhase(1);
    m_host.setTriggerValue(0);
    m_host.setPulse(pulse);
}

void TraceViewLogic::StartSmoothZoom(float zoom)
{
    ComPtr<IEventParams> event;
    const bool animate = m_options.targetSmoothZoom && documentValid() && document()->GetEvent(event) && event &&
                         !zoomAnimationDisabled(event.get());
    if (!animate) {
        (void)m_target->put_Zoom(zoom);
        return;
    }
    (void)m_target->get_Zoom(&m_fromZoom);
    m_toZoom = std::max(zoom, 0.0F);
    m_animating = false;
    if (m_fromZoom != m_toZoom) {
        m_host.setTimer(TimerZoom, kFirstZoomStep);
        m_animating = true;
        m_zoomStartTick = static_cast<std::uint32_t>(m_clock.steadyNow().count());
    }
}

bool TraceViewLogic::OnKey(std::uint32_t virtualKey)
{
    const auto action = document() && m_target ? TraceKey(virtualKey, document()->GetReplayState()) : std::nullopt;
    if (!action) {
        return false;
    }
    switch (action->kind) {
    case TraceKeyAction::Kind::StartReplay:
        (void)document()->StartReplay(); // A vetoed replay simply does not start.
        break;
    case TraceKeyAction::Kind::ResumeReplay:
        document()->ResumeReplay();
        break;
    case TraceKeyAction::Kind::PauseReplay:
        document()->PauseReplay();
        break;
    case TraceKeyAction::Kind::Zoom:
        m_storedZoom = static_cast<float>(action->zoom);
        StartSmoothZoom(m_storedZoom);
        break;
    }
    return true;
}

void TraceViewLogic::OnTimer(int id)
{
    switch (id) {
    case TimerZoom:
        stepZoom();
        return;
    case TimerTimeCounter:
        RefreshTimeCounter();
        return;
    case TimerBeat:
        onBeatTimer();
        return;
    default:
        return;
    }
}

void TraceViewLogic::stepZoom()
{
    m_host.killTimer(TimerZoom);
    if (!m_animating || !m_target) {
        return;
    }
    // The tick counter wraps after 49.7 days; unsigned subtraction still gives the time since the start.
    const std::uint32_t elapsed = static_cast<std::uint32_t>(m_clock.steadyNow().count()) - m_zoomStartTick;
    float zoom = m_fromZoom + (m_toZoom - m_fromZoom) * static_cast<float>(elapsed) / kZoomDurationMs;
    if (m_toZoom >= m_fromZoom ? zoom >= m_toZoom : zoom <= m_toZoom) {
        zoom = m_toZoom;
    }
    (void)m_target->put_Zoom(zoom);
    if (zoom == m_toZoom) {
        m_animating = false;
    } else {
        m_host.setTimer(TimerZoom, kZoomStep);
    }
}

void TraceViewLogic::onBeatTimer()
{
    if (replayRuns()) {
        return;
    }
    const DATE now = m_clock.wallNow();
    const bool justBeat = m_lastBeat <= now && now <= m_lastBeat + 0.5 * 0.66 * (m_lastBeat - m_previousBeat);
    m_host.setBeatPhase(justBeat ? 0 : 1);
}

void TraceViewLogic::RefreshTimeCounter()
{
    if (!m_target || !document()) {
        return;
    }
    const long code = document()->GetEventCode();
    if (documentValid() && code >= 4 && code <= 6) {
        return;
    }
    std::u16string text;
    ComPtr<IShotCollection> shots;
    ComPtr<IShot> first;
    ComPtr<IAimingAttr> attributes;
    DATE entered = 0;
    if (m_host.devicePresent() && m_host.matchMode() && m_options.displayTimeCounter &&
        document()->GetMatchShots(shots) && shots && SUCCEEDED(shots->get_Item(1, first.put())) && first &&
        SUCCEEDED(first->get_Attr(attributes.put())) && attributes && SUCCEEDED(attributes->get_EnterTime(&entered))) {
        text = u" ";
        AppendDuration(text, m_clock.wallNow() - entered, true);
        text += u" ";
    }
    (void)m_target->put_Label(2, Bstr(text).get());
}

void TraceViewLogic::ApplyTargetOptions(bool noRefresh)
{
    if (!m_target || !documentValid()) {
        return;
    }
    const COptions& o = m_options;
    (void)m_target->put_TraceHeadingLength(o.traceHeading ? o.traceHeadingLength : 0.0F);
    (void)m_target->put_LabelColor(0xFFFFFF);
    (void)m_target->put_BreachColor(o.breachColor);
    (void)m_target->put_SelectedBreachColor(o.selectedBreachColor);
    (void)m_target->ResetIntervals();
    (void)m_target->put_TraceColor(o.traceColorBeforeShot);
    (void)m_target->put_TraceHeadingColor(o.headingColor);
    (void)m_target->put_TraceAfterShotColor(o.traceColorAfterShot);
    (void)m_target->AddTraceInterval(-document()->ControlInterval(), 0.0F, o.controlIntervalColor);
    if (o.advancedMode) {
        for (const TraceInterval& interval : o.additionalIntervals) {
            (void)m_target->AddTraceInterval(interval.begin, interval.end, interval.color);
        }
    }
    if (!noRefresh) {
        (void)m_target->Refresh();
    }
}

void TraceViewLogic::OptionsChanged(std::uint32_t flags)
{
    if (!m_target) {
        return;
    }
    if (flags & kOptionsChangedReplaySpeed) {
        (void)m_target->put_ReplaySpeed(static_cast<LONG>(m_options.replaySpeed));
    }
    if (flags & kOptionsChangedColors) {
        ApplyTargetOptions(false);
    }
    if ((flags & kOptionsChangedTraceDisplay) && documentValid()) {
        showCurrent(false);
    }
}

void TraceViewLogic::FeedTone(IEventParams* event, long subTarget, float x, float y)
{
    const bool biathlon = document() && document()->GetEventCode() == kBiathlonEventCode;
    FeedBlindTone(m_options, m_tone, event, biathlon, subTarget, x, y);
}

void TraceViewLogic::StopTone()
{
    if (m_tone) {
        m_tone->stop();
    }
}

void TraceViewLogic::OnZoomChanged()
{
    float zoom = 0;
    if (!m_target || FAILED(m_target->get_Zoom(&zoom))) {
        return;
    }
    m_storedZoom = std::min(zoom, m_options.advancedMode ? kExpertZoomCap : kZoomCap);
    m_animating = false;
    m_host.killTimer(TimerZoom);
}

void TraceViewLogic::OnRightClick(float, float)
{
    StartSmoothZoom(0.0F);
}

void TraceViewLogic::OnStartDrag(IAiming*, IShot*, float x, float y)
{
    m_dragX = x;
    m_dragY = y;
}

void TraceViewLogic::OnEndDrag(IAiming*, IShot*, float x, float y)
{
    const TraceOffsetHint offset{x - m_dragX, y - m_dragY};
    m_dx += offset.dx;
    m_dy += offset.dy;
    if (document()) {
        document()->UpdateAllViews(this, HintTraceOffset, offset);
    }
}

void TraceViewLogic::OnReplayPositionChanged()
{
    float seconds = 0;
    if (m_target && SUCCEEDED(m_target->get_ReplayPosition(&seconds))) {
        m_host.setReplayPosition(seconds);
    }
}

void TraceViewLogic::OnEndReplay()
{
    m_host.setReplayShot(nullptr);
    StopTone();
    if (!m_target || !document()) {
        return;
    }
    if (!documentValid()) {
        ShowShot(nullptr, nullptr, false);
        return;
    }
    ComPtr<IShot> shot;
    ComPtr<IAiming> aiming;
    (void)m_target->get_ReplayShot(shot.put());
    (void)document()->FindAiming(shot.get(), aiming);
    ShowAiming(aiming.get(), shot.get(), false);
    // This view already shows the replayed shot again; the others learn that the replay ended.
    document()->UpdateAllViews(this, HintReplayEnd);
}

} // namespace talvodesk
