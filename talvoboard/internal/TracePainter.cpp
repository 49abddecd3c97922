#include "talvoboard/internal/TracePainter.h"

#include "interfaces/talvodata/Sampling.h"
#include "platform/gfx/Color.h"
#include "talvodata/TracePoints.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace talvoboard {

using platform::com::ComPtr;
using platform::gfx::Pen;
using platform::gfx::Point;

namespace {

/// Enough for a minute at 200 Hz; longer runs grow as they are read.
constexpr std::int64_t kReservedPoints = 12000;

LONG secondsToSamples(float seconds, LONG rate)
{
    return static_cast<LONG>(std::lround(static_cast<double>(seconds) * rate));
}

} // namespace

LONG sampleRateOf(IAiming* aiming)
{
    ComPtr<IAimingAttr> attributes;
    LONG rate = 0;
    if (FAILED(aiming->get_Attr(attributes.put())) || !attributes || FAILED(attributes->get_SampleRate(&rate))) {
        return 0;
    }
    return rate;
}

TracePainter::TracePainter(platform::gfx::DrawContext& context, const TargetDrawSurface& surface,
                           const TargetState& state)
    : m_context(context), m_surface(surface), m_state(state)
{
}

LONG TracePainter::headingSamples(IAiming* aiming) const
{
    return secondsToSamples(m_state.traceHeadingLength, sampleRateOf(aiming));
}

void TracePainter::heading(IAiming* aiming, LONG from, LONG to)
{
    ComPtr<IAimingTrace> trace;
    if (aiming && SUCCEEDED(aiming->get_Trace(trace.put())) && trace) {
        run(trace.get(), from, to, m_state.traceHeadingColor);
    }
}

void TracePainter::trace(IAiming* aiming, LONG from, LONG to)
{
    ComPtr<IAimingTrace> trace;
    LONG first = 0;
    LONG last = 0;
    if (FAILED(aiming->get_Trace(trace.put())) || !trace || FAILED(trace->get_First(&first)) ||
        FAILED(trace->get_Last(&last))) {
        return;
    }
    from = std::max(from, first);
    to = std::min(to, last);
    if (from >= to) {
        return;
    }
    const LONG rate = sampleRateOf(aiming);
    VARIANT_BOOL readOnly = VARIANT_TRUE;
    if (SUCCEEDED(trace->get_ReadOnly(&readOnly)) && readOnly == VARIANT_FALSE) {
        const LONG start = std::max(last - secondsToSamples(m_state.traceHeadingLength, rate), from);
        const LONG end = std::min(last, to);
        if (start < end) {
            run(trace.get(), start, end, m_state.traceHeadingColor);
            to = start;
        }
    }
    LONG count = 0;
    (void)aiming->get_ShotCount(&count); // No count, no shots.
    std::vector<ShotMark> shots;
    for (LONG number = 1; number <= count; ++number) {
        ComPtr<IShot> shot;
        ShotMark mark;
        if (SUCCEEDED(aiming->get_Shot(number, shot.put())) && shot && SUCCEEDED(shot->get_TraceIndex(&mark.index))) {
            mark.phase = std::nan("");
            (void)shot->get_microphonePhase(&mark.phase); // Without a phase the step is not split.
            shots.push_back(mark);
        }
    }
    if (shots.empty()) {
        run(trace.get(), from, to, m_state.traceColor);
        return;
    }
    shotIntervals(trace.get(), shots, from, to, rate);
}

void TracePainter::shotIntervals(IAimingTrace* trace, const std::vector<ShotMark>& shots, LONG from, LONG to, LONG rate)
{
    const auto& intervals = m_state.intervals.normalized();
    LONG previous = from;
    for (std::size_t i = 0; i < shots.size(); ++i) {
        const LONG k = shots[i].index;
        // The trace after a shot stops where the next shot's begins.
        const LONG limit = i + 1 < shots.size() ? std::min(to, shots[i + 1].index) : to;
        // In 64 bits: a hostile shot index lies anywhere, and only the clamped sample is an index again.
        const auto sample = [&](float seconds) {
            return static_cast<LONG>(std::clamp<std::int64_t>(std::int64_t{k} + secondsToSamples(seconds, rate),
                                                              previous, std::max(previous, limit)));
        };
        for (std::size_t j = 0; j < intervals.size(); ++j) {
            const LONG a = sample(intervals[j].from);
            const LONG b = sample(intervals[j].to);
            if (b == k && !std::isnan(shots[i].phase) && j + 1 < intervals.size()) {
                splitRun(trace, a, b, shots[i].phase, intervals[j].color, intervals[j + 1].color);
            } else {
                run(trace, a, b, intervals[j].color);
            }
        }
        previous = std::max(previous, k);
    }
}

LONG TracePainter::penWidth() const
{
    float thickness = m_state.traceThickness;
    if (thickness < 0.0f) {
        thickness = 0.0f;
        if (m_state.targetParams) {
            (void)m_state.targetParams->get_TraceThickness(&thickness); // Unreadable: a hairline.
        }
    }
    if (thickness == 0.0f) {
        return 0;
    }
    const LONG pixels = m_surface.toPixels(toUnits(thickness));
    return pixels < 3 ? 2 : pixels;
}

void TracePainter::polyline(const std::vector<Point>& points, OLE_COLOR color)
{
    if (points.size() < 2) {
        return;
    }
    m_context.setPen(Pen{platform::gfx::PenStyle::Solid, penWidth(), platform::gfx::resolveColor(color)});
    m_context.polyline(points);
}

void TracePainter::run(IAimingTrace* trace, LONG a, LONG b, OLE_COLOR color)
{
    LONG first = 0;
    LONG last = 0;
    if (FAILED(trace->get_First(&first)) || FAILED(trace->get_Last(&last))) {
        return;
    }
    a = std::max(a, first);
    b = std::min(b, last);
    if (b <= a) { // Fewer than two samples; compared, not subtracted, so no index range can overflow.
        return;
    }
    std::vector<Point> points;
    points.reserve(static_cast<std::size_t>(std::min<std::int64_t>(std::int64_t{b} - a + 1, kReservedPoints)));
    const auto add = [&](LONG x, LONG y) {
        if (x == kInvalidSample) {
            polyline(points, color);
            points.clear();
            return;
        }
        points.push_back(m_surface.toDevice({x, y}));
    };
    talvodata::TracePoints samples;
    const auto copier = ComPtr<IAimingTrace>(trace).queryInterface<talvodata::ITracePoints>();
    if (copier && SUCCEEDED(copier->copyPoints(a, b, samples))) {
        // One lock of the trace for the run instead of one per sample; samples it no longer holds are left out
        // as failed reads are.
        for (std::size_t i = 0; i < samples.x.size(); ++i) {
            add(samples.x[i], samples.y[i]);
        }
    } else {
        for (LONG index = a; index <= b; ++index) {
            LONG x = 0;
            LONG y = 0;
            if (SUCCEEDED(trace->_GetPoint(index, &x, &y))) {
                add(x, y);
            }
        }
    }
    polyline(points, color);
}

void TracePainter::splitRun(IAimingTrace* trace, LONG a, LONG b, double phase, OLE_COLOR before, OLE_COLOR after)
{
    run(trace, a, b - 1, before);
    LONG first = 0;
    LONG x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    if (FAILED(trace->get_First(&first)) || b - 1 < first || FAILED(trace->_GetPoint(b - 1, &x0, &y0)) ||
        FAILED(trace->_GetPoint(b, &x1, &y1)) || x0 == kInvalidSample || x1 == kInvalidSample) {
        return;
    }
    const Point split{x0 + static_cast<LONG>(std::lround((static_cast<double>(x1) - x0) * phase)),
                      y0 + static_cast<LONG>(std::lround((static_cast<double>(y1) - y0) * phase))};
    polyline({m_surface.toDevice({x0, y0}), m_surface.toDevice(split)}, before);
    polyline({m_surface.toDevice(split), m_surface.toDevice({x1, y1})}, after);
}

} // namespace talvoboard
