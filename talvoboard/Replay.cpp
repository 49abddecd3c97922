#include "talvoboard/Replay.h"

#include "talvoboard/ObjectIdentity.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IRange.h"
#include "platform/kernel/Event.h"
#include "platform/kernel/Thread.h"
#include "platform/time/Clock.h"
#include "platform/ui/MessageWindow.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>

namespace talvoboard {

using platform::com::ComPtr;

Replay::Replay(ReplayView& view, platform::time::Clock& clock)
    : m_view(view), m_clock(clock), m_window(std::make_unique<platform::ui::MessageWindow>())
{
    m_window->setHandler(kReplayMessage, [this](WPARAM, LPARAM) { step(); });
}

// The timer thread posts to the window, so it goes first.
Replay::~Replay()
{
    stopTimer();
}

HRESULT Replay::setAiming(IAiming* aiming)
{
    if (!aiming) {
        stop();
        return S_OK;
    }
    m_aiming = ComPtr<IAiming>(aiming);
    m_shot.reset();
    LONG shots = 0;
    if (SUCCEEDED(aiming->get_ShotCount(&shots)) && shots > 0) {
        // A failure leaves no replay shot, and the replay does not start.
        (void)aiming->get_Shot(1, m_shot.put());
    }
    return start();
}

HRESULT Replay::start()
{
    ++m_generation;
    const std::optional<TraceSpan> span = isSet() ? traceSpan() : std::nullopt;
    if (!span) {
        // A former replay's timer would only tick for nothing.
        stopTimer();
        return S_OK;
    }
    m_position = m_basePosition = span->first;
    RETURN_IF_FAILED(startTimer(span->sampleRate));
    m_baseTick = m_clock.steadyNow();
    m_caption = true;
    if (m_view.updatesEnabled()) {
        m_view.drawCaption();
    } else {
        m_view.refresh();
    }
    const std::uint64_t generation = m_generation;
    m_view.raise(ReplayEvent::Started);
    if (generation == m_generation) {
        m_view.raise(ReplayEvent::PositionChanged);
    }
    return S_OK;
}

HRESULT Replay::setShot(IShot* shot)
{
    if (!holdsShot(m_aiming.get(), shot)) {
        return E_INVALIDARG;
    }
    m_shot = ComPtr<IShot>(shot);
    return S_OK;
}

HRESULT Replay::aiming(IAiming** out) const
{
    if (!out) {
        return E_INVALIDARG;
    }
    *out = nullptr;
    return m_aiming ? m_aiming.copyTo(out) : S_OK;
}

HRESULT Replay::shot(IShot** out) const
{
    if (!out) {
        return E_INVALIDARG;
    }
    *out = nullptr;
    return m_shot ? m_shot.copyTo(out) : S_OK;
}

HRESULT Replay::setSpeed(LONG percent)
{
    if (percent < 10 || percent > 300) {
        return E_INVALIDARG;
    }
    m_speed = percent;
    if (!m_paused && m_aiming) {
        rebase();
    }
    return S_OK;
}

void Replay::setPaused(bool paused)
{
    if (paused == m_paused) {
        return;
    }
    m_paused = paused;
    if (paused) {
        stopTimer();
        if (isSet()) {
            m_view.raise(ReplayEvent::Paused);
        }
    } else if (const std::optional<TraceSpan> span = isSet() ? traceSpan() : std::nullopt) {
        // A timer that cannot start leaves the replay standing, as if still paused.
        if (SUCCEEDED(startTimer(span->sampleRate))) {
            rebase();
            m_view.raise(ReplayEvent::Started);
        }
    }
    // The caption switches between the replay and the paused label.
    m_view.refresh();
}

HRESULT Replay::positionSeconds(float* seconds) const
{
    if (!seconds) {
        return E_POINTER;
    }
    *seconds = 0.0f;
    if (!isSet()) {
        return S_OK;
    }
    LONG shotIndex = 0;
    RETURN_IF_FAILED(m_shot->get_TraceIndex(&shotIndex));
    ComPtr<IRange> range;
    RETURN_IF_FAILED(m_aiming->Range(0.0f, 0.0f, range.put()));
    // A hostile shot index lies anywhere: the difference is taken in 64 bits and held to what an index can say.
    const std::int64_t relative = std::clamp<std::int64_t>(
        std::int64_t{m_position} - shotIndex, std::numeric_limits<LONG>::min(), std::numeric_limits<LONG>::max());
    return range->Index2Sec(static_cast<LONG>(relative), seconds);
}

HRESULT Replay::setPositionSeconds(float seconds)
{
    if (std::isnan(seconds)) {
        return E_INVALIDARG;
    }
    if (!isSet()) {
        return S_OK;
    }
    const std::optional<TraceSpan> span = traceSpan();
    LONG shotIndex = 0;
    if (!span || FAILED(m_shot->get_TraceIndex(&shotIndex))) {
        return E_FAIL;
    }
    // Limited in double first, so a huge time cannot overflow the index.
    const double offset =
        std::clamp(std::round(static_cast<double>(span->sampleRate) * seconds),
                   static_cast<double>(span->first) - shotIndex, static_cast<double>(span->last) - shotIndex);
    const LONG target = static_cast<LONG>(
        std::clamp<std::int64_t>(static_cast<std::int64_t>(offset) + shotIndex, span->first, span->last));
    if (target == m_position) {
        return S_OK;
    }
    const LONG former = m_position;
    m_position = target;
    if (!m_paused) {
        m_basePosition = target;
        m_baseTick = m_clock.steadyNow();
    }
    m_caption = true;
    if (target < former) {
        m_view.refresh();
    } else {
        drawForwards(former, target, *span, std::nullopt);
    }
    return S_OK;
}

void Replay::step()
{
    if (!isSet() || m_paused) {
        return;
    }
    const std::optional<TraceSpan> span = traceSpan();
    if (!span) {
        return;
    }
    const std::int64_t elapsed = (m_clock.steadyNow() - m_baseTick).count();
    // Integer arithmetic in this order: samples per second at this speed first, truncated.
    const std::int64_t samplesPerSecond = static_cast<std::int64_t>(m_speed) * span->sampleRate / 100;
    const LONG target =
        static_cast<LONG>(std::min<std::int64_t>(m_basePosition + elapsed * samplesPerSecond / 1000, span->last));
    const std::uint64_t generation = m_generation;
    if (target != m_position) {
        const LONG former = m_position;
        m_position = target;
        if (target < former) {
            // The trace lost samples under the replay.
            m_view.refresh();
        } else {
            std::optional<bool> caption;
            if (m_view.displaysReplayMark()) {
                // The caption blinks with the replayed time, so a paused replay keeps its state.
                const std::int64_t phase =
                    (static_cast<std::int64_t>(target) - m_basePosition) * 2 / span->sampleRate + 1;
                caption = phase % 2 == 0;
            }
            drawForwards(former, target, *span, caption);
        }
        m_view.raise(ReplayEvent::PositionChanged);
        if (generation != m_generation) {
            return;
        }
    }
    if (m_position == span->last) {
        m_view.raise(ReplayEvent::Ended);
        // A handler may have cleared the replay or started another one; neither is undone here.
        if (generation == m_generation) {
            stop();
        }
    }
}

void Replay::drawForwards(LONG from, LONG to, const TraceSpan& span, std::optional<bool> caption)
{
    if (!m_view.updatesEnabled()) {
        m_view.refresh();
        return;
    }
    if (crossesShot(from, to)) {
        m_view.drawBreachesAndTrace(from - span.sampleRate, to);
        return;
    }
    if (caption && *caption != m_caption) {
        m_caption = *caption;
        if (m_caption) {
            m_view.drawCaption();
        } else {
            m_view.invalidateCaption();
        }
    }
    const LONG heading = static_cast<LONG>(std::lround(m_view.headingLength() * static_cast<float>(span.sampleRate)));
    if (heading != 0) {
        m_view.drawHeading(to - heading, to);
    }
    // Repaints the part that has left the heading in the interval colours.
    const LONG repaintFrom = std::max(span.first, from - heading);
    if (repaintFrom < to - heading) {
        m_view.drawTrace(repaintFrom, to - heading);
    }
}

bool Replay::crossesShot(LONG from, LONG to) const
{
    LONG shots = 0;
    if (FAILED(m_aiming->get_ShotCount(&shots))) {
        return false;
    }
    for (LONG index = 1; index <= shots; ++index) {
        ComPtr<IShot> shot;
        LONG traceIndex = 0;
        if (SUCCEEDED(m_aiming->get_Shot(index, shot.put())) && SUCCEEDED(shot->get_TraceIndex(&traceIndex)) &&
            traceIndex >= from && traceIndex <= to) {
            return true;
        }
    }
    return false;
}

void Replay::stop()
{
    ++m_generation;
    stopTimer();
    if (m_caption) {
        // Cleared even while the mark is off, so turning the mark on later shows no stale caption.
        m_caption = false;
        if (m_view.displaysReplayMark()) {
            m_view.invalidateCaption();
        }
    }
    m_aiming.reset();
    m_shot.reset();
}

void Replay::clear()
{
    stop();
    m_paused = false;
}

void Replay::rebase()
{
    m_baseTick = m_clock.steadyNow();
    m_basePosition = m_position;
}

HRESULT Replay::startTimer(LONG sampleRate)
{
    if (m_timer) {
        return S_OK;
    }
    // At least 1 ms: a sample rate above 1000 would otherwise make the thread spin.
    const std::chrono::milliseconds period(std::max<LONG>(1, 1000 / sampleRate));
    platform::ui::MessageWindow* window = m_window.get();
    platform::time::Clock& clock = m_clock;
    auto timer = platform::kernel::Thread::start([window, period, &clock](platform::kernel::Event& stopEvent) {
        while (!stopEvent.wait(period, clock)) {
            window->postOnce(kReplayMessage, 0, 0);
        }
    });
    if (!timer) {
        return platform::toHresult(timer);
    }
    m_timer = std::move(timer).value();
    return S_OK;
}

void Replay::stopTimer()
{
    // Destroying the Thread sets its stop event and joins it.
    m_timer.reset();
}

std::optional<Replay::TraceSpan> Replay::traceSpan() const
{
    ComPtr<IAimingTrace> trace;
    ComPtr<IAimingAttr> attributes;
    TraceSpan span;
    if (FAILED(m_aiming->get_Trace(trace.put())) || !trace || FAILED(trace->get_First(&span.first)) ||
        FAILED(trace->get_Last(&span.last)) || FAILED(m_aiming->get_Attr(attributes.put())) || !attributes ||
        FAILED(attributes->get_SampleRate(&span.sampleRate)) || span.sampleRate <= 0 || span.last < span.first) {
        return std::nullopt;
    }
    return span;
}

} // namespace talvoboard
