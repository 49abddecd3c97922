#include "talvodata/RangeCollection.h"

#include "platform/com/ObjectIdentity.h"
#include "talvodata/Allocation.h"
#include "talvodata/ObjectEnum.h"
#include "talvodata/TracePoints.h"

#include <algorithm>
#include <cmath>
#include <cstdint>

namespace talvodata {

using platform::com::ComPtr;
using platform::com::isSameObject;

namespace {

/// A range's valid window, in its own relative indexes.
struct RangeSpan {
    LONG first = 0;
    LONG last = -1;
    LONG indexBase = 0;
};

/// Per-index sums over the requested span.
struct CurveSums {
    std::vector<float> sums;
    std::vector<LONG> counts;

    HRESULT allocate(std::size_t length)
    {
        RETURN_IF_FAILED(assignDefaults(sums, length));
        return assignDefaults(counts, length);
    }
};

// An hour at the highest sample rate: a requested span beyond it is a request no memory should be spent on.
constexpr std::int64_t kMaxCurveLength = 500 * 3600;

/// The range's window and the samples of its trace.
HRESULT spanOf(IRange& range, RangeSpan& span, ComPtr<ITracePoints>& points)
{
    RETURN_IF_FAILED(range.get_First(&span.first));
    RETURN_IF_FAILED(range.get_Last(&span.last));
    RETURN_IF_FAILED(range.get_IndexBase(&span.indexBase));
    ComPtr<IAimingTrace> trace;
    RETURN_IF_FAILED(range.get_Trace(trace.put()));
    if (!trace) {
        return E_FAIL;
    }
    points = trace.queryInterface<ITracePoints>();
    return points ? S_OK : E_NOINTERFACE;
}

/// The relative indexes of a range's window whose samples the read holds and whose place lies in the curve, walked
/// straight over the stored samples.
template <typename Points> class SpanWalk {
public:
    SpanWalk(const RangeSpan& span, const Points& points, LONG requestedFirst, std::size_t curveLength)
        : m_heldFirst(points.first - span.indexBase), m_heldLast(m_heldFirst + points.count - 1),
          m_requestedFirst(requestedFirst), m_points(points)
    {
        m_from = std::max({std::int64_t{span.first}, m_heldFirst, m_requestedFirst});
        // Only an outside range whose window moved since it was added reaches past the curve.
        m_to = std::min(
            {std::int64_t{span.last}, m_heldLast, m_requestedFirst + static_cast<std::int64_t>(curveLength) - 1});
    }

    std::int64_t from() const { return m_from; }
    std::int64_t to() const { return m_to; }
    bool holds(std::int64_t relative) const { return relative >= m_heldFirst && relative <= m_heldLast; }
    bool valid(std::int64_t relative) const { return m_points.validAt(traceIndex(relative)); }
    LONG x(std::int64_t relative) const { return m_points.xAt(traceIndex(relative)); }
    LONG y(std::int64_t relative) const { return m_points.yAt(traceIndex(relative)); }
    void add(CurveSums& sums, std::int64_t relative, float value) const
    {
        const auto position = static_cast<std::size_t>(relative - m_requestedFirst);
        sums.sums[position] += value;
        ++sums.counts[position];
    }

private:
    std::int64_t traceIndex(std::int64_t relative) const { return relative - m_heldFirst + m_points.first; }

    std::int64_t m_heldFirst;
    std::int64_t m_heldLast;
    std::int64_t m_requestedFirst;
    const Points& m_points;
    std::int64_t m_from = 0;
    std::int64_t m_to = -1;
};

float distance(std::int64_t ax, std::int64_t ay, std::int64_t bx, std::int64_t by)
{
    const auto dx = static_cast<float>(ax - bx);
    const auto dy = static_cast<float>(ay - by);
    return std::sqrt(dx * dx + dy * dy);
}

/// The centre of the area the range aimed at, in hundredths: the aim at the shot, or at the end of a window that
/// stops before it, picks it.
HRESULT aimedCentre(IRange& range, const RangeSpan& span, std::int64_t& centreX, std::int64_t& centreY)
{
    const LONG reference = span.first <= 0 && span.last >= 0 ? 0 : span.last;
    float aimX = 0;
    float aimY = 0;
    RETURN_IF_FAILED(range.get_x(reference, &aimX));
    RETURN_IF_FAILED(range.get_y(reference, &aimY));
    LONG area = 0;
    float x = 0;
    float y = 0;
    if (FAILED(range.GetNearestArea(aimX, aimY, &area, &x, &y))) {
        x = 0; // Without an event the face centre is the only centre there is.
        y = 0;
    }
    centreX = std::llround(x * 100.0);
    centreY = std::llround(y * 100.0);
    return S_OK;
}

template <typename Points>
void addCoordination(const SpanWalk<Points>& walk, std::int64_t centreX, std::int64_t centreY, CurveSums& sums)
{
    for (std::int64_t i = walk.from(); i <= walk.to(); ++i) {
        if (walk.valid(i)) {
            walk.add(sums, i, distance(walk.x(i), walk.y(i), centreX, centreY));
        }
    }
}

template <typename Points>
void addSpeed(const SpanWalk<Points>& walk, const RangeSpan& span, LONG step, CurveSums& sums)
{
    for (std::int64_t i = walk.from(); i <= walk.to(); ++i) {
        // A sample near the start is paired with a later one.
        const std::int64_t partner = i > std::int64_t{span.first} + step ? i - step : i + step;
        if (walk.holds(partner) && walk.valid(i) && walk.valid(partner)) {
            walk.add(sums, i, distance(walk.x(i), walk.y(i), walk.x(partner), walk.y(partner)));
        }
    }
}

} // namespace

ComPtr<CRangeCollection> CRangeCollection::create()
{
    return platform::com::makeComObject<CRangeCollection>();
}

void CRangeCollection::setEvent(ComPtr<IEventParams> event)
{
    auto guard = lock();
    m_event = std::move(event);
}

HRESULT CRangeCollection::get_Item(LONG nIndex, IRange** pVal)
{
    auto guard = lock();
    if (!pVal || *pVal) {
        return E_POINTER;
    }
    if (nIndex < 1 || static_cast<std::size_t>(nIndex) > m_ranges.size()) {
        return E_INVALIDARG;
    }
    return m_ranges[static_cast<std::size_t>(nIndex - 1)].copyTo(pVal);
}

HRESULT CRangeCollection::get_Valid(VARIANT_BOOL* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_ranges.empty() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
}

HRESULT CRangeCollection::get_PointCount(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    // Windows that do not overlap have no common point, not a negative number of them.
    *pVal = m_last >= m_first ? m_last - m_first + 1 : 0;
    return S_OK;
}

HRESULT CRangeCollection::get_RequestedFirst(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_requestedFirst;
    return S_OK;
}

HRESULT CRangeCollection::get_RequestedLast(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_requestedLast;
    return S_OK;
}

HRESULT CRangeCollection::get_Count(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = static_cast<LONG>(m_ranges.size());
    return S_OK;
}

HRESULT CRangeCollection::get_First(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_first;
    return S_OK;
}

HRESULT CRangeCollection::get_Last(LONG* pVal)
{
    auto guard = lock();
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = m_last;
    return S_OK;
}

HRESULT CRangeCollection::computeStatistics(Statistics& result) const
{
    for (const ComPtr<IRange>& range : m_ranges) {
        float value = 0;
        RETURN_IF_FAILED(range->get_Length(&value));
        result.length += value;
        RETURN_IF_FAILED(range->get_LengthX(&value));
        result.lengthX += value;
        RETURN_IF_FAILED(range->get_LengthY(&value));
        result.lengthY += value;
        RETURN_IF_FAILED(range->get_AveragePointX(&value));
        result.averageX += value;
        RETURN_IF_FAILED(range->get_AveragePointY(&value));
        result.averageY += value;
    }
    const auto count = static_cast<float>(m_ranges.size());
    for (float* mean : {&result.length, &result.lengthX, &result.lengthY, &result.averageX, &result.averageY}) {
        *mean /= count;
    }
    return S_OK;
}

HRESULT CRangeCollection::statistic(float Statistics::*member, float* pVal)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (m_ranges.empty()) {
        return S_OK;
    }
    if (!m_statistics) {
        Statistics computed;
        RETURN_IF_FAILED(computeStatistics(computed));
        m_statistics = computed;
    }
    *pVal = (*m_statistics).*member;
    return S_OK;
}

HRESULT CRangeCollection::get_Length(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::length, pVal);
}

HRESULT CRangeCollection::get_LengthX(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::lengthX, pVal);
}

HRESULT CRangeCollection::get_LengthY(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::lengthY, pVal);
}

HRESULT CRangeCollection::get_AveragePointX(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::averageX, pVal);
}

HRESULT CRangeCollection::get_AveragePointY(float* pVal)
{
    auto guard = lock();
    return statistic(&Statistics::averageY, pVal);
}

HRESULT CRangeCollection::curvePoint(LONG nIndex, float* pVal, const std::optional<Curve>& curve)
{
    if (!pVal) {
        return E_POINTER;
    }
    *pVal = 0;
    if (m_ranges.empty() || m_last < m_first) {
        return S_OK;
    }
    const std::int64_t position = std::int64_t{nIndex} - m_requestedFirst;
    if (position < 0 || position > std::int64_t{m_requestedLast} - m_requestedFirst) {
        return E_INVALIDARG;
    }
    if (!curve) {
        if (std::int64_t{m_requestedLast} - m_requestedFirst + 1 > kMaxCurveLength) {
            return E_OUTOFMEMORY;
        }
        const HRESULT hr = buildCurves();
        if (!curve) {
            return FAILED(hr) ? hr : E_FAIL;
        }
    }
    *pVal = (*curve)[static_cast<std::size_t>(position)];
    return S_OK;
}

HRESULT CRangeCollection::buildCurves()
{
    const auto length = static_cast<std::size_t>(std::int64_t{m_requestedLast} - m_requestedFirst + 1);
    const LONG step = std::max<LONG>(1, m_sampleRate / 25); // 40 ms in whole samples
    CurveSums coordinationSums;
    CurveSums speedSums;
    RETURN_IF_FAILED(coordinationSums.allocate(length));
    RETURN_IF_FAILED(speedSums.allocate(length));
    // Both curves come from one reading of each range's samples, from its window's start to the speed step past
    // its end; only the coordination needs more of the range, and its failure leaves the speed curve standing.
    HRESULT coordinationResult = S_OK;
    for (const ComPtr<IRange>& range : m_ranges) {
        RangeSpan span;
        ComPtr<ITracePoints> points;
        RETURN_IF_FAILED(spanOf(*range, span, points));
        std::int64_t centreX = 0;
        std::int64_t centreY = 0;
        if (SUCCEEDED(coordinationResult)) {
            coordinationResult = aimedCentre(*range, span, centreX, centreY);
        }
        const std::int64_t base = span.indexBase;
        RETURN_IF_FAILED(
            readStoredPoints(*points, span.first + base, std::int64_t{span.last} + step + base, [&](const auto& held) {
                const SpanWalk walk(span, held, m_requestedFirst, length);
                if (SUCCEEDED(coordinationResult)) {
                    addCoordination(walk, centreX, centreY, coordinationSums);
                }
                addSpeed(walk, span, step, speedSums);
                return S_OK;
            }));
    }

    Curve speed;
    RETURN_IF_FAILED(assignDefaults(speed, length));
    const auto rate = static_cast<float>(m_sampleRate);
    for (std::size_t i = 0; i < length; ++i) {
        if (speedSums.counts[i] > 0) {
            speed[i] = speedSums.sums[i] * rate /
                       (static_cast<float>(speedSums.counts[i]) * static_cast<float>(step) * 100.0f);
        }
    }
    m_speed = std::move(speed);

    RETURN_IF_FAILED(coordinationResult);
    Curve coordination;
    RETURN_IF_FAILED(assignDefaults(coordination, length));
    const auto rangeCount = static_cast<LONG>(m_ranges.size());
    for (std::size_t i = 0; i < length; ++i) {
        const LONG count = coordinationSums.counts[i];
        if (count == 0) {
            continue;
        }
        // 0.01 keeps a covered index from reading as an uncovered one; the sign says not every window covers it.
        const float value = coordinationSums.sums[i] / (static_cast<float>(count) * 100.0f) + 0.01f;
        coordination[i] = count < rangeCount ? -value : value;
    }
    m_coordination = std::move(coordination);
    return S_OK;
}

HRESULT CRangeCollection::get_CoordinationPoint(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return curvePoint(nIndex, pVal, m_coordination);
}

HRESULT CRangeCollection::get_SpeedPoint(LONG nIndex, float* pVal)
{
    auto guard = lock();
    return curvePoint(nIndex, pVal, m_speed);
}

HRESULT CRangeCollection::Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent)
{
    auto guard = lock();
    if (!pPercent) {
        return E_POINTER;
    }
    *pPercent = 0;
    if (m_ranges.empty()) {
        return S_OK;
    }
    float sum = 0;
    for (const ComPtr<IRange>& range : m_ranges) {
        float percent = 0;
        RETURN_IF_FAILED(range->Steadiness(Radius, nFCoefficient, CenterX, CenterY, &percent));
        sum += percent;
    }
    *pPercent = std::trunc(sum / static_cast<float>(m_ranges.size()));
    return S_OK;
}

HRESULT CRangeCollection::Add(IRange* pRange)
{
    auto guard = lock();
    if (!pRange) {
        return E_INVALIDARG;
    }
    VARIANT_BOOL valid = VARIANT_FALSE;
    RETURN_IF_FAILED(pRange->get_Valid(&valid));
    if (valid != VARIANT_TRUE) {
        return S_OK;
    }
    if (m_held.contains(pRange)) {
        return S_OK;
    }
    LONG sampleRate = 0;
    RETURN_IF_FAILED(pRange->get_SampleRate(&sampleRate));
    if (!m_ranges.empty() && sampleRate != m_sampleRate) {
        return E_INVALIDARG;
    }
    ComPtr<IEventParams> event;
    if (FAILED(pRange->get_Event(event.put()))) {
        event.reset(); // A range whose aiming has no event belongs to no event.
    }
    if (m_event && !isSameObject(m_event.get(), event.get())) {
        return E_INVALIDARG;
    }
    LONG first = 0;
    LONG last = 0;
    LONG requestedFirst = 0;
    LONG requestedLast = 0;
    RETURN_IF_FAILED(pRange->get_First(&first));
    RETURN_IF_FAILED(pRange->get_Last(&last));
    RETURN_IF_FAILED(pRange->get_RequestedFirst(&requestedFirst));
    RETURN_IF_FAILED(pRange->get_RequestedLast(&requestedLast));

    const bool isFirst = m_ranges.empty();
    m_first = isFirst ? first : std::max(m_first, first);
    m_last = isFirst ? last : std::min(m_last, last);
    m_requestedFirst = isFirst ? requestedFirst : std::min(m_requestedFirst, requestedFirst);
    m_requestedLast = isFirst ? requestedLast : std::max(m_requestedLast, requestedLast);
    m_sampleRate = sampleRate;
    if (!m_event) {
        m_event = std::move(event);
    }
    m_ranges.emplace_back(pRange);
    m_held.add(pRange);
    m_statistics.reset();
    m_coordination.reset();
    m_speed.reset();
    return S_OK;
}

HRESULT CRangeCollection::get__NewEnum(IUnknown** pVal)
{
    auto guard = lock();
    return enumerateObjects(m_ranges, pVal);
}

} // namespace talvodata
