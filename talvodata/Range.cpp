#include "talvodata/Range.h"

#include "interfaces/talvodata/IEventParams.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

namespace talvodata {

using platform::com::ComPtr;

namespace {

bool fitsLong(std::int64_t value)
{
    return value >= std::numeric_limits<LONG>::min() && value <= std::numeric_limits<LONG>::max();
}

// Without two valid samples before it there is no curve to follow: the sample itself is the breach. A read that
// holds the sample and the one two before it holds the one between.
template <typename Points> bool followsCurve(const Points& points, std::int64_t index)
{
    return points.holds(index - 2) && points.validAt(index - 2) && points.validAt(index - 1) && points.validAt(index);
}

/// x and y side by side: one instruction works both axes, each lane exactly as a lone double would.
using AxisPair = double __attribute__((vector_size(16)));

// The parabola through three samples (millimetres) at positions 0, 1, 2, taken at u and moved on along its tangent
// by k samples; per axis, a double or an AxisPair.
template <typename Value> Value alongCurve(Value pa, Value pb, Value pc, double u, double k)
{
    const Value linear = 2.0 * pb - 1.5 * pa - 0.5 * pc;
    const Value quadratic = 0.5 * pc + 0.5 * pa - pb;
    return pa + linear * u + quadratic * u * u + (linear + 2.0 * quadratic * u) * k;
}

} // namespace

ComPtr<CRange> CRange::create()
{
    return platform::com::makeComObject<CRange>();
}

ComPtr<CRange> CRange::create(ComPtr<IAimingAttr> attributes)
{
    ComPtr<CRange> range = create();
    range->m_attributes = std::move(attributes);
    return range;
}

void CRange::attach(ComPtr<IAimingTrace> trace, LONG indexBase)
{
    auto guard = lock();
    m_trace = std::move(trace);
    m_points.reset();
    if (m_trace) {
        m_points = m_trace.queryInterface<ITracePoints>();
    }
    m_indexBase = indexBase;
    m_sampleRate = 0;
    if (m_attributes && FAILED(m_attributes->get_SampleRate(&m_sampleRate))) {
        m_sampleRate = 0;
    }
    m_valid = false;
    m_first = m_requestedFirst = 0;
    m_last = m_requestedLast = -1;
    m_statistics.reset();
    m_breachCache.reset();
    m_steadiness.clear();

    VARIANT_BOOL traceValid = VARIANT_FALSE;
    LONG traceFirst = 0;
    LONG traceLast = 0;
    if (!m_trace || FAILED(m_trace->get_Valid(&traceValid)) || traceValid != VARIANT_TRUE ||
        FAILED(m_trace->get_First(&traceFirst)) || FAILED(m_trace->get_Last(&traceLast))) {
        return;
    }
    const std::int64_t first = std::int64_t{traceFirst} - indexBase;
    const std::int64_t last = std::int64_t{traceLast} - indexBase;
    if (!fitsLong(first) || !fitsLong(last)) {
        return;
    }
    m_first = m_requestedFirst = static_cast<LONG>(first);
    m_last = m_requestedLast = static_cast<LONG>(last);
    m_valid = true;
}

bool CRange::window(float firstSeconds, float lastSeconds)
{
    auto guard = lock();
    if (!m_valid) {
        return true;
    }
    LONG requestedFirst = 0;
    LONG requestedLast = 0;
    if (FAILED(m_trace->Sec2Index(firstSeconds, &requestedFirst)) ||
        FAILED(m_trace->Sec2Index(lastSeconds, &requestedLast))) {
        return false;
    }
    m_requestedFirst = requestedFirst;
    m_requestedLast = requestedLast;
    if (requestedLast < requestedFirst) {
        return false;
    }
    LONG traceFirst = 0;
    LONG traceLast = 0;
    if (FAILED(m_trace->get_First(&traceFirst)) || FAILED(m_trace->get_Last(&traceLast))) {
        return false;
    }
    const std::int64_t start = std::max<std::int64_t>(requestedFirst, std::int64_t{traceFirst} - m_indexBase);
    std::int64_t end = std::min<std::int64_t>(requestedLast, std::int64_t{traceLast} - m_indexBase);
    std::int64_t begin = end;
    bool endValid = false;
    const HRESULT read = readRelative(start, end, [&](const auto& points) {
        const auto isValid = [&](std::int64_t relative) {
            const std::int64_t index = relative + m_indexBase;
            return points.holds(index) && points.validAt(index);
        };
        while (start < end && !isValid(end)) {
            --end;
        }
        begin = end;
        while (begin - 1 >= start && isValid(begin - 1)) {
            --begin;
        }
        endValid = isValid(end);
        return S_OK;
    });
    if (FAILED(read)) {
        return false;
    }
    m_statistics.reset();
    m_breachCache.reset();
    m_steadiness.clear();
    // A window beside the trace, or over invalid samples only, has nothing to show: the range is then not
    // valid rather than a one-sample window that cannot be read.
    if (start > end || !endValid) {
        m_valid = false;
        m_first = 0;
        m_last = -1;
        return true;
    }
    m_first = static_cast<LONG>(begin);
    m_last = static_cast<LONG>(end);
    return true;
}

HRESULT CRange::absolute(std::int64_t relative, LONG& index) const
{
    const std::int64_t value = relative + m_indexBase;
    if (!fitsLong(value)) {
        return E_INVALIDARG;
    }
    index = static_cast<LONG>(value);
    return S_OK;
}

template <typename Visit>
HRESULT CRange::readRelative(std::int64_t firstRelative, std::int64_t lastRelative, Visit&& visit) const
{
    if (!m_points) {
        return E_NOINTERFACE;
    }
    return readStoredPoints(*m_points, firstRelative + m_indexBase, lastRelative + m_indexBase, visit);
}

HRESULT CRange::get_Valid(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_valid ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

HRESULT CRange::get_RequestedFirst(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_requestedFirst;
    return S_OK;
}

HRESULT CRange::get_RequestedLast(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_requestedLast;
    return S_OK;
}

HRESULT CRange::get_Count(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_last - m_first + 1;
    return S_OK;
}

HRESULT CRange::get_First(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_first;
    return S_OK;
}

HRESULT CRange::get_Last(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_last;
    return S_OK;
}

HRESULT CRange::coordinate(LONG nIndex, bool wantX, float* pVal) const
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    LONG index = 0;
    if (!inWindow(nIndex) || FAILED(absolute(nIndex, index))) {
        return E_INVALIDARG;
    }
    const HRESULT hr = wantX ? m_trace->get_x(index, pVal) : m_trace->get_y(index, pVal);
    return FAILED(hr) ? E_INVALIDARG : S_OK;
}

HRESULT CRange::get_x(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return coordinate(nIndex, /*wantX=*/true, pVal);
}

HRESULT CRange::get_y(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return coordinate(nIndex, /*wantX=*/false, pVal);
}

HRESULT CRange::get_SampleRate(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_sampleRate;
    return S_OK;
}

template <typename Points> HRESULT CRange::computeStatistics(const Points& points, Statistics& result) const
{
    const std::int64_t used = std::int64_t{m_last} - m_first + 1;
    const std::int64_t requested = std::int64_t{m_requestedLast} - m_requestedFirst + 1;
    // Steps are summed wide: an invalid sample (2147483647) inside a whole-trace window must not overflow.
    float length = 0;
    std::int64_t lengthX = 0;
    std::int64_t lengthY = 0;
    std::int64_t sumX = 0;
    std::int64_t sumY = 0;
    LONG minX = std::numeric_limits<LONG>::max();
    LONG minY = minX;
    LONG maxX = std::numeric_limits<LONG>::min();
    LONG maxY = maxX;
    const std::int64_t start = std::int64_t{m_first} + m_indexBase;
    if (!points.holds(start) || !points.holds(start + used - 1)) {
        return E_INVALIDARG;
    }
    const auto* xs = points.xs + (start - points.first);
    const auto* ys = points.ys + (start - points.first);
    // Whole numbers first, in a loop the compiler can vectorise; the single-precision length after it, summed in
    // sample order.
    for (std::int64_t i = 0; i < used; ++i) {
        if (i > 0) {
            const std::int64_t dx = std::int64_t{xs[i]} - xs[i - 1];
            const std::int64_t dy = std::int64_t{ys[i]} - ys[i - 1];
            lengthX += dx < 0 ? -dx : dx;
            lengthY += dy < 0 ? -dy : dy;
        }
        sumX += xs[i];
        sumY += ys[i];
        minX = std::min<LONG>(minX, xs[i]);
        minY = std::min<LONG>(minY, ys[i]);
        maxX = std::max<LONG>(maxX, xs[i]);
        maxY = std::max<LONG>(maxY, ys[i]);
    }
    for (std::int64_t i = 1; i < used; ++i) {
        const auto stepX = static_cast<float>(std::int64_t{xs[i]} - xs[i - 1]);
        const auto stepY = static_cast<float>(std::int64_t{ys[i]} - ys[i - 1]);
        length += std::sqrt(stepX * stepX + stepY * stepY);
    }
    // The measured length is scaled up to the requested window, so gaps do not shorten the trace.
    const float scale = static_cast<float>(requested) / (static_cast<float>(used) * 100.0f);
    result.length = length * scale;
    result.lengthX = static_cast<float>(lengthX) * scale;
    result.lengthY = static_cast<float>(lengthY) * scale;
    result.averageX = static_cast<float>(static_cast<double>(sumX) / (static_cast<double>(used) * 100.0));
    result.averageY = static_cast<float>(static_cast<double>(sumY) / (static_cast<double>(used) * 100.0));
    result.minX = static_cast<float>(minX / 100.0);
    result.minY = static_cast<float>(minY / 100.0);
    result.maxX = static_cast<float>(maxX / 100.0);
    result.maxY = static_cast<float>(maxY / 100.0);
    return S_OK;
}

const CRange::Statistics& CRange::statistics()
{
    static const Statistics kNone;
    if (m_statistics) {
        return *m_statistics;
    }
    if (!m_valid || m_first >= m_last) {
        return kNone;
    }
    Statistics computed;
    if (FAILED(
            readRelative(m_first, m_last, [&](const auto& points) { return computeStatistics(points, computed); }))) {
        return kNone; // Samples that slid out of a live trace: nothing to show, and nothing to keep.
    }
    m_statistics = computed;
    return *m_statistics;
}

HRESULT CRange::statistic(float Statistics::*member, float* pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = statistics().*member;
    return S_OK;
}

HRESULT CRange::get_Length(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::length, pVal);
}

HRESULT CRange::get_LengthX(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::lengthX, pVal);
}

HRESULT CRange::get_LengthY(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::lengthY, pVal);
}

HRESULT CRange::get_AveragePointX(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::averageX, pVal);
}

HRESULT CRange::get_AveragePointY(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::averageY, pVal);
}

HRESULT CRange::GetBounds(float* Left, float* Top, float* Right, float* Bottom)
{
    auto guard = lock();
    if (!Left || !Top || !Right || !Bottom) {
        return E_POINTER;
    }
    const Statistics& computed = statistics();
    *Left = computed.minX;
    *Top = computed.minY;
    *Right = computed.maxX;
    *Bottom = computed.maxY;
    return S_OK;
}

HRESULT CRange::Index2Sec(LONG nIndex, float* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (m_sampleRate <= 0) {
        return E_UNEXPECTED;
    }
    *pVal = static_cast<float>(nIndex) / static_cast<float>(m_sampleRate);
    return S_OK;
}

HRESULT CRange::Sec2Index(float Seconds, LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (m_sampleRate <= 0) {
        return E_UNEXPECTED;
    }
    const float index = std::nearbyint(static_cast<float>(m_sampleRate) * Seconds);
    if (!(index >= -2147483648.0f && index < 2147483648.0f)) {
        return E_INVALIDARG;
    }
    *pVal = static_cast<LONG>(index);
    return S_OK;
}

template <typename Points>
HRESULT CRange::countInside(const Points& points, float radius, LONG coefficient, float centreX, float centreY,
                            std::int64_t& inside) const
{
    const std::int64_t start = std::int64_t{m_first} + m_indexBase;
    const std::int64_t end = std::int64_t{m_last} + m_indexBase;
    if (!points.holds(start) || !points.holds(end)) {
        return E_INVALIDARG;
    }
    const float radiusSquared = radius * radius;
    const double u = 2.0; // Phase 1: the sample itself.
    const double k = leadSamples(coefficient);
    std::int64_t counted = 0; // Not `inside`: the loop would store every count to it.
    // Each sample is turned into millimetres once and kept for the two breaches after it.
    AxisPair before = {0, 0};
    AxisPair previous = {0, 0};
    for (std::int64_t index = points.first; index <= end; ++index) {
        const AxisPair current =
            AxisPair{static_cast<double>(points.xAt(index)), static_cast<double>(points.yAt(index))} / 100.0;
        if (index >= start) {
            const AxisPair breach = followsCurve(points, index) ? alongCurve(before, previous, current, u, k) : current;
            const float dx = static_cast<float>(breach[0]) - centreX;
            const float dy = static_cast<float>(breach[1]) - centreY;
            counted += dx * dx + dy * dy <= radiusSquared ? 1 : 0;
        }
        before = previous;
        previous = current;
    }
    inside = counted;
    return S_OK;
}

HRESULT CRange::Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent)
{
    auto guard = lock();
    if (!pPercent) {
        return E_POINTER;
    }
    *pPercent = 0;
    if (!m_valid) {
        return S_OK;
    }
    const auto counted = std::find_if(m_steadiness.begin(), m_steadiness.end(), [&](const CountedSteadiness& c) {
        return c.radius == Radius && c.coefficient == nFCoefficient && c.centreX == CenterX && c.centreY == CenterY;
    });
    if (counted != m_steadiness.end()) {
        *pPercent = counted->percent;
        return S_OK;
    }
    // Two samples before the window too: the first breaches follow the curve through them.
    std::int64_t inside = 0;
    RETURN_IF_FAILED(readRelative(std::int64_t{m_first} - 2, m_last, [&](const auto& points) {
        return countInside(points, Radius, nFCoefficient, CenterX, CenterY, inside);
    }));
    // Out of the requested time, not of the samples used: a window half lost to a gap scores at most 50.
    const std::int64_t requested = std::int64_t{m_requestedLast} - m_requestedFirst + 1;
    assert(requested > 0 && "a valid range has a requested window of at least its own samples");
    *pPercent = static_cast<float>(inside * 100 / requested);
    // As many as the shot list's columns ask for, so that its own never push out one the summary asks next.
    constexpr std::size_t kKept = 6;
    if (m_steadiness.size() == kKept) {
        m_steadiness.erase(m_steadiness.begin());
    }
    m_steadiness.push_back({Radius, nFCoefficient, CenterX, CenterY, *pPercent});
    return S_OK;
}

HRESULT CRange::Breaches(LONG nIndex, LONG nFCoefficient, float* pX, float* pY)
{
    return Breaches2(nIndex, nFCoefficient, std::numeric_limits<double>::quiet_NaN(), pX, pY);
}

template <typename Points>
HRESULT CRange::breach(const Points& points, LONG nIndex, LONG coefficient, double phase, float& x, float& y)
{
    if (nIndex == 0 && m_breachCache && m_breachCache->coefficient == coefficient && m_breachCache->phase == phase) {
        x = m_breachCache->x;
        y = m_breachCache->y;
        return S_OK;
    }
    RETURN_IF_FAILED(extrapolate(points, nIndex, coefficient, phase, x, y));
    if (nIndex == 0) {
        m_breachCache = BreachCache{coefficient, phase, x, y};
    }
    return S_OK;
}

template <typename Points>
HRESULT CRange::extrapolate(const Points& points, LONG nIndex, LONG coefficient, double phase, float& x, float& y) const
{
    const std::int64_t index = std::int64_t{nIndex} + m_indexBase;
    if (!points.holds(index)) {
        return E_INVALIDARG;
    }
    const LONG cx = points.xAt(index);
    const LONG cy = points.yAt(index);
    if (!followsCurve(points, index)) {
        x = static_cast<float>(cx / 100.0);
        y = static_cast<float>(cy / 100.0);
        return S_OK;
    }
    const double u = phase + 1.0;
    const double k = leadSamples(coefficient);
    x = static_cast<float>(alongCurve(points.xAt(index - 2) / 100.0, points.xAt(index - 1) / 100.0, cx / 100.0, u, k));
    y = static_cast<float>(alongCurve(points.yAt(index - 2) / 100.0, points.yAt(index - 1) / 100.0, cy / 100.0, u, k));
    return S_OK;
}

HRESULT CRange::Breaches2(LONG nIndex, LONG nFCoefficient, double microphonePhase, float* pX, float* pY)
{
    auto guard = lock();
    if (!pX || !pY) {
        return E_POINTER;
    }
    *pX = 0;
    *pY = 0;
    const double phase = std::isnan(microphonePhase) ? 1.0 : microphonePhase;
    if (!m_valid) {
        return S_OK;
    }
    float x = 0;
    float y = 0;
    RETURN_IF_FAILED(readRelative(std::int64_t{nIndex} - 2, nIndex, [&](const auto& points) {
        return breach(points, nIndex, nFCoefficient, phase, x, y);
    }));
    *pX = x;
    *pY = y;
    return S_OK;
}

HRESULT CRange::get_Event(IEventParams** pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = nullptr;
    if (!m_attributes || FAILED(m_attributes->get_Event(pVal)) || !*pVal) {
        return E_FAIL;
    }
    return S_OK;
}

HRESULT CRange::get_ValidCoordinate(LONG nIndex, VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = VARIANT_FALSE;
    LONG index = 0;
    if (!inWindow(nIndex) || FAILED(absolute(nIndex, index))) {
        return E_INVALIDARG;
    }
    return m_trace->get_ValidCoordinate(index, pVal);
}

HRESULT CRange::GetNearestArea(float x, float y, LONG* AreaIndex, float* cx, float* cy)
{
    auto guard = lock();
    if (!AreaIndex || !cx || !cy) {
        return E_POINTER;
    }
    *AreaIndex = 0;
    *cx = 0;
    *cy = 0;
    ComPtr<IEventParams> event;
    RETURN_IF_FAILED(get_Event(event.put()));
    LONG subTarget = 0;
    RETURN_IF_FAILED(m_attributes->get_SubTarget(&subTarget));
    return event->GetNearestArea(x, y, subTarget, AreaIndex, cx, cy);
}

HRESULT CRange::get_Trace(IAimingTrace** pVal)
{
    auto guard = lock();
    return m_trace.copyTo(pVal);
}

HRESULT CRange::get_IndexBase(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_indexBase;
    return S_OK;
}

HRESULT CRange::get_UserData(LONG DataIndex, LONG index, LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    LONG traceIndex = 0;
    if (DataIndex < 1 || !inWindow(index) || FAILED(absolute(index, traceIndex))) {
        return E_INVALIDARG;
    }
    return m_trace->get_UserData(DataIndex, traceIndex, pVal);
}

} // namespace talvodata
