#include "talvodesk/core/practice/PracticeRun.h"

#include "talvodesk/core/document/EventCodes.h"
#include "talvodesk/core/document/PulseLog.h"
#include "talvodesk/core/document/ShotFacts.h"

#include "platform/com/Bstr.h"
#include "platform/com/ObjectIdentity.h"
#include "platform/com/Variant.h"

#include <algorithm>
#include <vector>

namespace talvodesk {

using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

constexpr long kSeriesTimedCode = 5;
constexpr long kStrongSignal = 100;
/// A trigger channel whose readings span no more than this over the aiming is not worth keeping.
constexpr long kFlatTriggerSpan = 5;

enum LiveState : int { StateAimingStarted = 1, StateAiming = 2, StateConcluded = 3, StateFinal = 4, StateStopped = 5 };

ComPtr<IAimingTrace> traceOf(IAiming* aiming)
{
    ComPtr<IAimingTrace> trace;
    if (!aiming || FAILED(aiming->get_Trace(trace.put()))) {
        trace.reset();
    }
    return trace;
}

/// Removes the "_trigger" channel when it holds no readings or they hardly move.
void DropFlatTrigger(IAimingTrace* trace)
{
    const Bstr name("_trigger");
    LONG channel = -1;
    LONG first = 0;
    LONG last = 0;
    if (!trace || FAILED(trace->GetUserData(name.get(), &channel)) || channel <= 0 ||
        FAILED(trace->get_First(&first)) || FAILED(trace->get_Last(&last))) {
        return;
    }
    long minimum = 0;
    long maximum = 0;
    bool any = false;
    for (LONG i = first; i <= last; ++i) {
        LONG value = 0;
        if (FAILED(trace->get_UserData(channel, i, &value))) {
            continue;
        }
        minimum = any ? std::min<long>(minimum, value) : value;
        maximum = any ? std::max<long>(maximum, value) : value;
        any = true;
    }
    if (!any || maximum - minimum <= kFlatTriggerSpan) {
        (void)trace->RemoveUserData(name.get()); // The channel was found just now.
    }
}

} // namespace

void PracticeRun::Start(PracticeDevice* device, bool matchMode, long subTarget)
{
    m_device = device;
    m_matchMode = matchMode;
    m_subTarget = subTarget;
    m_seriesStartTime = m_services.clock.wallNow();
    m_autoSaveCounter = 0;
    m_shootingWindowOpen = true;
    m_running = true;
}

void PracticeRun::Stop()
{
    PostState(StateStopped);
    m_running = false;
    m_currentAiming.reset();
    m_device = nullptr;
}

void PracticeRun::SetSubTarget(long subTarget)
{
    m_subTarget = subTarget;
    m_autoSaveCounter = 0;
}

void PracticeRun::SemaphoreGreen()
{
    m_seriesStartTime = m_services.clock.wallNow();
    if (m_device && m_device->SemaphoreAvailable()) {
        m_device->SetSemaphore(::SemaphoreGreen);
    }
}

void PracticeRun::SemaphoreRed()
{
    if (m_device && m_device->SemaphoreAvailable()) {
        m_device->SetSemaphore(::SemaphoreRed);
    }
}

void PracticeRun::SemaphoreOff()
{
    if (m_device && m_device->SemaphoreAvailable()) {
        m_device->SetSemaphore(::SemaphoreOff);
    }
}

void PracticeRun::PostState(int state)
{
    if (m_services.live) {
        m_services.live->PostState(state);
    }
}

void PracticeRun::Hint(DocumentHint hint, const HintPayload& payload)
{
    m_services.data.UpdateAllViews(nullptr, hint, payload);
}

void PracticeRun::StartAiming(IAiming* aiming)
{
    m_currentAiming = ComPtr<IAiming>(aiming);
    if (ComPtr<IAimingAttr> attributes = attributesOf(aiming)) {
        (void)attributes->put_Match(m_matchMode ? VARIANT_TRUE : VARIANT_FALSE);
        (void)attributes->put_FCoefficient(m_services.data.FCoefficient());
        const long code = m_services.data.GetEventCode();
        if (code == kBiathlonEventCode) {
            SemaphoreOff();
            (void)attributes->put_SubTarget(m_subTarget);
        } else if (code == kSeriesTimedCode) {
            (void)attributes->put_StartTime(m_seriesStartTime);
            (void)attributes->put_EnterTime(m_seriesStartTime);
        }
    }
    (void)m_services.data.SetCurrentShot(nullptr);
    Hint(HintStartAiming, AimingHint{aiming});
    PostState(StateAimingStarted);
    PostState(StateAiming);
}

void PracticeRun::ConcludeAiming(IAiming* aiming)
{
    DropFlatTrigger(traceOf(aiming).get());
    Hint(HintConcludeAiming, AimingHint{aiming});
    PostState(StateConcluded);
}

void PracticeRun::MakeCurrent(long /*subDevice*/, IAiming* aiming)
{
    if (platform::com::isSameObject(m_currentAiming.get(), aiming)) {
        return;
    }
    if (m_currentAiming) {
        ConcludeAiming(m_currentAiming.get());
    }
    StartAiming(aiming);
}

void PracticeRun::OnStartAiming(long /*subDevice*/, IAiming* aiming)
{
    if (!TakesAimingEvents()) {
        return;
    }
    StartAiming(aiming);
}

void PracticeRun::OnNewCoordinates(long subDevice, IAiming* aiming, long count)
{
    if (!TakesAimingEvents()) {
        return;
    }
    MakeCurrent(subDevice, aiming);
    if (m_device && m_device->SignalLevel() > kStrongSignal) {
        m_lastStrongSignal = m_services.clock.steadyNow().count();
    }
    LONG shots = 0;
    if (SUCCEEDED(aiming->get_ShotCount(&shots)) && shots == 0) {
        if (ComPtr<IAimingAttr> attributes = attributesOf(aiming)) {
            (void)attributes->put_Match(m_matchMode ? VARIANT_TRUE : VARIANT_FALSE);
        }
    }
    m_services.data.UpdateAllViews(m_services.frameView, HintNewCoordinates, AimingHint{aiming});
    if (m_services.live && count > 0) {
        if (ComPtr<IAimingTrace> trace = traceOf(aiming)) {
            m_services.live->PostPoints(trace.get(), count);
        }
    }
}

void PracticeRun::OnShot(long subDevice, IAiming* aiming, IDispatch* shotObject)
{
    if (!TakesAimingEvents()) {
        return;
    }
    MakeCurrent(subDevice, aiming);
    ComPtr<IShot> shot = ComPtr<IDispatch>(shotObject).queryInterface<IShot>();
    CTalvoData& data = m_services.data;
    if (const std::uint16_t pulse = data.GetPulse(); pulse != 0) {
        if (m_matchMode && data.GetPulseCount() == 0) {
            (void)data.AddPulseSample(m_services.clock.wallNow(), static_cast<std::int16_t>(pulse));
        }
        if (shot) {
            (void)shot->put_Value(Bstr("_pulse").get(), pulselog::int16Value(static_cast<std::int16_t>(pulse)).get());
        }
    }
    (void)data.AddShot(shot.get(), m_currentAiming.get());
    if (m_matchMode) {
        ++m_autoSaveCounter;
    } else {
        data.SetShowSightings(true, true);
    }
    (void)data.SetCurrentShot(shot.get());
    if (m_services.options.autoReplay != 0) {
        m_autoReplayPending = true;
    }
    if (m_services.live && shot) {
        m_services.live->PostShot(shot.get());
    }
}

void PracticeRun::OnConcludeAiming(long subDevice, IAiming* aiming)
{
    if (!TakesAimingEvents()) {
        return;
    }
    MakeCurrent(subDevice, aiming);
    ConcludeAiming(aiming);
}

void PracticeRun::OnFinalConcludeAiming(long /*subDevice*/)
{
    if (!TakesAimingEvents()) {
        return;
    }
    m_currentAiming.reset();
    const COptions& options = m_services.options;
    // Reaching or passing the mark: several shots in one aiming can step over it.
    if (options.enableAutoSaveAfterShot != 0 && m_autoSaveCounter > 0 &&
        m_autoSaveCounter >= static_cast<long>(options.autoSaveAfterShot)) {
        m_autoSaveCounter = 0;
        (void)m_services.data.TrySave(); // A failed automatic save is tried again after the next shots.
    }
    Hint(HintFinalConcludeAiming);
    PostState(StateFinal);
}

void PracticeRun::OnPulseChanged(long /*subDevice*/, long pulse)
{
    CTalvoData& data = m_services.data;
    (void)data.SetPulse(static_cast<std::uint16_t>(pulse));
    if (!m_matchMode) {
        return;
    }
    ComPtr<IAimingCollection> match;
    ComPtr<IShotCollection> shots;
    LONG count = 0;
    if (data.GetMatchAimings(match) && SUCCEEDED(match->get_Shots(VARIANT_TRUE, shots.put())) &&
        SUCCEEDED(shots->get_Count(&count)) && count > 0) {
        (void)data.AddPulseSample(m_services.clock.wallNow(), static_cast<std::int16_t>(pulse));
    }
}

void PracticeRun::OnTrigger(long /*subDevice*/, long count)
{
    if (count <= 0 || !m_device) {
        return;
    }
    std::vector<LONG> readings(static_cast<std::size_t>(std::min(count, kMaxTriggerReadings)));
    for (std::size_t k = 0; k < readings.size(); ++k) {
        readings[k] = static_cast<LONG>(m_device->Trigger(static_cast<long>(k) + 1));
    }
    m_services.data.UpdateAllViews(m_services.frameView, HintTrigger, TriggerHint{readings});
}

void PracticeRun::OnHeartBeat(long /*subDevice*/, DATE earliest, DATE latest)
{
    if (ComPtr<IAimingAttr> attributes = attributesOf(m_currentAiming.get())) {
        (void)AppendHeartBeat(attributes.get(), earliest, latest); // A beat that ends before it starts is dropped.
    }
    if (m_services.live) {
        m_services.live->PostHeartBeat();
    }
    m_services.data.UpdateAllViews(m_services.frameView, HintHeartBeat, HeartBeatHint{earliest, latest});
}

} // namespace talvodesk
