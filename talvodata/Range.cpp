#include "talvodata/Range.h"

#include "interfaces/talvodata/IEventParams.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <type_traits>

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

// The parabola through three samples (millimetres) of one axis at positions 0, 1, 2, taken at u and moved on along
// its tangent by k samples.
[[gnu::always_inline]] inline double alongCurve(double pa, double pb, double pc, double u, double k)
{
    const double linear = 2.0 * pb - 1.5 * pa - 0.5 * pc;
    const double quadratic = 0.5 * pc + 0.5 * pa - pb;
    return pa + linear * u + quadratic * u * u + (linear + 2.0 * quadratic * u) * k;
}

// The loops over a window's samples below each run over a few hundred of them in a row. The compiler vectorises
// them, and those that statistics and steadiness spend most of their time in get a clone for processors with AVX2,
// four lanes at a time, chosen when the library loads. Every lane works exactly as a lone float or double would: no
// clone fuses a multiply and an add (neither target has FMA, and this file is built with -ffp-contract=off). The
// helpers that clones share are inlined into each, so that each is compiled for its target.

template <typename Value>
[[gnu::always_inline]] inline void hundredthsToMillimetres(const Value* values, std::int64_t count, double* millimetres)
{
    for (std::int64_t i = 0; i < count; ++i) {
        millimetres[i] = static_cast<double>(values[i]) / 100.0;
    }
}

[[gnu::target_clones("avx2", "default")]] void toMillimetres(const std::int16_t* values, std::int64_t count,
                                                             double* millimetres)
{
    hundredthsToMillimetres(values, count, millimetres);
}

void toMillimetres(const std::int32_t* values, std::int64_t count, double* millimetres)
{
    hundredthsToMillimetres(values, count, millimetres);
}

/// The breaches `from`..`count` - 1 of one axis along the curve through each one's sample and the two before it
/// (millimetres, `millimetres[-2]` on).
[[gnu::target_clones("avx2", "default")]] void alongCurves(const double* millimetres, std::int64_t from,
                                                           std::int64_t count, double k, float* breaches)
{
    const double u = 2.0; // Phase 1: the sample itself.
    for (std::int64_t i = from; i < count; ++i) {
        breaches[i] = static_cast<float>(alongCurve(millimetres[i - 2], millimetres[i - 1], millimetres[i], u, k));
    }
}

/// How many of the breaches (millimetres) lie within the circle.
[[gnu::target_clones("avx2", "default")]] std::int64_t countWithin(const SteadinessCircle& circle, const float* xs,
                                                                   const float* ys, std::size_t count)
{
    const float radiusSquared = circle.radius * circle.radius;
    std::int32_t counted = 0;
    for (std::size_t i = 0; i < count; ++i) {
        const float dx = xs[i] - circle.centreX;
        const float dy = ys[i] - circle.centreY;
        counted += dx * dx + dy * dy <= radiusSquared ? 1 : 0;
    }
    return counted;
}

/// What the statistics sum over one axis of a run of samples (hundredths).
struct AxisSums {
    /// The steps between neighbours, each as its size.
    std::int64_t steps = 0;
    std::int64_t sum = 0;
    LONG min = std::numeric_limits<LONG>::max();
    LONG max = std::numeric_limits<LONG>::min();
};

/// The sums of `count` samples of one axis. Whole numbers are summed wide, as an invalid sample (2147483647) inside a
/// whole-trace window must not overflow; between 16-bit samples, though, a step fits 32 bits and so does the sum of
/// 32,768 steps or samples, and those are summed narrow a batch at a time.
template <typename Value> [[gnu::always_inline]] inline AxisSums sumAxis(const Value* values, std::int64_t count)
{
    using Whole = std::conditional_t<sizeof(Value) == 2, std::int32_t, std::int64_t>;
    constexpr std::int64_t kBatch = 32768;
    AxisSums sums;
    for (std::int64_t from = 0; from < count; from += kBatch) {
        const std::int64_t to = std::min(count, from + kBatch);
        Whole steps = 0;
        Whole sum = 0;
        Value min = values[from];
        Value max = values[from];
        for (std::int64_t i = std::max<std::int64_t>(from, 1); i < to; ++i) {
            const Whole step = Whole{values[i]} - values[i - 1];
            steps += step < 0 ? -step : step;
        }
        for (std::int64_t i = from; i < to; ++i) {
            // Selects, not std::min and std::max: through their references the loop would not vectorise.
            const Value value = values[i];
            sum += value;
            min = value < min ? value : min;
            max = value > max ? value : max;
        }
        sums.steps += steps;
        sums.sum += sum;
        sums.min = std::min<LONG>(sums.min, min);
        sums.max = std::max<LONG>(sums.max, max);
    }
    return sums;
}

[[gnu::target_clones("avx2", "default")]] AxisSums axisSums(const std::int16_t* values, std::int64_t count)
{
    return sumAxis(values, count);
}

AxisSums axisSums(const std::int32_t* values, std::int64_t count)
{
    return sumAxis(values, count);
}

/// The length of the path through `count` samples (hundredths), in single precision and summed in sample order. The
/// steps' lengths are taken a batch at a time in a loop of their own: a step between 16-bit samples fits 32 bits,
/// and turns into the same float as its 64-bit value does.
template <typename X, typename Y>
[[gnu::always_inline]] inline float sumSteps(const X* xs, const Y* ys, std::int64_t count)
{
    using StepX = std::conditional_t<sizeof(X) == 2, std::int32_t, std::int64_t>;
    using StepY = std::conditional_t<sizeof(Y) == 2, std::int32_t, std::int64_t>;
    constexpr std::int64_t kBatch = 256;
    std::array<float, kBatch> steps;
    float length = 0;
    for (std::int64_t from = 1; from < count; from += kBatch) {
        const std::int64_t batch = std::min(kBatch, count - from);
        const X* x = xs + from;
        const Y* y = ys + from;
        for (std::int64_t i = 0; i < batch; ++i) {
            const auto stepX = static_cast<float>(StepX{x[i]} - x[i - 1]);
            const auto stepY = static_cast<float>(StepY{y[i]} - y[i - 1]);
            steps[static_cast<std::size_t>(i)] = std::sqrt(stepX * stepX + stepY * stepY);
        }
        for (std::int64_t i = 0; i < batch; ++i) {
            length += steps[static_cast<std::size_t>(i)];
        }
    }
    return length;
}

template <typename X, typename Y> float pathLength(const X* xs, const Y* ys, std::int64_t count)
{
    return sumSteps(xs, ys, count);
}

[[gnu::target_clones("avx2", "default")]] float pathLength(const std::int16_t* xs, const std::int16_t* ys,
                                                           std::int64_t count)
{
    return sumSteps(xs, ys, count);
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
    // The read holds what the trace holds of the requested samples: it clips the window to the trace.
    std::int64_t begin = 0;
    std::int64_t end = -1;
    bool endValid = false;
    const HRESULT read = readRelative(requestedFirst, requestedLast, [&](const auto& points) {
        if (points.count == 0) {
            return S_OK;
        }
        const std::int64_t start = points.first - m_indexBase;
        end = start + points.count - 1;
        const auto isValid = [&](std::int64_t relative) { return points.validAt(relative + m_indexBase); };
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
    if (!endValid) {
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
    const std::int64_t start = std::int64_t{m_first} + m_indexBase;
    if (!points.holds(start) || !points.holds(start + used - 1)) {
        return E_INVALIDARG;
    }
    const auto* xs = points.xs + (start - points.first);
    const auto* ys = points.ys + (start - points.first);
    const AxisSums x = axisSums(xs, used);
    const AxisSums y = axisSums(ys, used);
    // The measured length is scaled up to the requested window, so gaps do not shorten the trace.
    const float scale = static_cast<float>(requested) / (static_cast<float>(used) * 100.0f);
    result.length = pathLength(xs, ys, used) * scale;
    result.lengthX = static_cast<float>(x.steps) * scale;
    result.lengthY = static_cast<float>(y.steps) * scale;
    result.averageX = static_cast<float>(static_cast<double>(x.sum) / (static_cast<double>(used) * 100.0));
    result.averageY = static_cast<float>(static_cast<double>(y.sum) / (static_cast<double>(used) * 100.0));
    result.minX = static_cast<float>(x.min / 100.0);
    result.minY = static_cast<float>(y.min / 100.0);
    result.maxX = static_cast<float>(x.max / 100.0);
    result.maxY = static_cast<float>(y.max / 100.0);
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
HRESULT CRange::countInside(const Points& points, LONG coefficient, std::span<const SteadinessCircle> circles,
                            std::span<std::int64_t> inside) const
{
    const std::int64_t start = std::int64_t{m_first} + m_indexBase;
    const std::int64_t end = std::int64_t{m_last} + m_indexBase;
    if (!points.holds(start) || !points.holds(end)) {
        return E_INVALIDARG;
    }
    const double k = leadSamples(coefficient);
    std::fill(inside.begin(), inside.end(), 0);
    // A batch of breaches at a time, each step a loop of its own over the batch: the samples in millimetres, the
    // breaches along the curve through them, and each circle's count.
    constexpr std::int64_t kBatch = 256;
    std::array<double, kBatch + 2> millimetresX;
    std::array<double, kBatch + 2> millimetresY;
    std::array<float, kBatch> breachesX;
    std::array<float, kBatch> breachesY;
    for (std::int64_t from = start; from <= end; from += kBatch) {
        const std::int64_t count = std::min(kBatch, end - from + 1);
        // The two samples before the batch too, where the read holds them: its first breaches follow the curve
        // through them.
        const std::int64_t lead = from - std::max(points.first, from - 2);
        const std::int64_t offset = from - lead - points.first;
        toMillimetres(points.xs + offset, lead + count, millimetresX.data());
        toMillimetres(points.ys + offset, lead + count, millimetresY.data());
        // Before the read's third sample no curve can be followed.
        const std::int64_t curveFrom = 2 - lead;
        alongCurves(millimetresX.data() + lead, curveFrom, count, k, breachesX.data());
        alongCurves(millimetresY.data() + lead, curveFrom, count, k, breachesY.data());
        for (std::int64_t i = 0; i < count; ++i) {
            if constexpr (Points::kEveryHeldValid) {
                if (i >= curveFrom) {
                    break; // Every later breach has its two valid samples before it.
                }
            } else if (followsCurve(points, from + i)) {
                continue;
            }
            breachesX[static_cast<std::size_t>(i)] =
                static_cast<float>(millimetresX[static_cast<std::size_t>(lead + i)]);
            breachesY[static_cast<std::size_t>(i)] =
                static_cast<float>(millimetresY[static_cast<std::size_t>(lead + i)]);
        }
        for (std::size_t c = 0; c < circles.size(); ++c) {
            inside[c] += countWithin(circles[c], breachesX.data(), breachesY.data(), static_cast<std::size_t>(count));
        }
    }
    return S_OK;
}

HRESULT CRange::Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent)
{
    if (!pPercent) {
        return E_POINTER;
    }
    const SteadinessCircle circle{Radius, CenterX, CenterY};
    return steadiness(nFCoefficient, {&circle, 1}, {pPercent, 1});
}

HRESULT CRange::steadiness(LONG coefficient, std::span<const SteadinessCircle> circles, std::span<float> percents)
{
    auto guard = lock();
    if (circles.size() != percents.size()) {
        return E_INVALIDARG;
    }
    std::fill(percents.begin(), percents.end(), 0.0F);
    if (!m_valid) {
        return S_OK;
    }
    for (std::size_t from = 0; from < circles.size(); from += kCirclesPerPass) {
        const std::size_t count = std::min(kCirclesPerPass, circles.size() - from);
        if (const HRESULT hr = steadinessPass(coefficient, circles.subspan(from, count), percents.subspan(from, count));
            FAILED(hr)) {
            std::fill(percents.begin(), percents.end(), 0.0F);
            return hr;
        }
    }
    return S_OK;
}

HRESULT CRange::steadinessPass(LONG coefficient, std::span<const SteadinessCircle> circles, std::span<float> percents)
{
    assert(circles.size() <= kCirclesPerPass && "one pass counts at most kCirclesPerPass circles");
    std::array<SteadinessCircle, kCirclesPerPass> uncounted;
    std::array<std::size_t, kCirclesPerPass> slots;
    std::size_t missing = 0;
    for (std::size_t i = 0; i < circles.size(); ++i) {
        const SteadinessCircle& circle = circles[i];
        const auto counted = std::find_if(m_steadiness.begin(), m_steadiness.end(), [&](const CountedSteadiness& c) {
            return c.radius == circle.radius && c.coefficient == coefficient && c.centreX == circle.centreX &&
                   c.centreY == circle.centreY;
        });
        if (counted != m_steadiness.end()) {
            percents[i] = counted->percent;
        } else {
            uncounted[missing] = circle;
            slots[missing++] = i;
        }
    }
    if (missing == 0) {
        return S_OK;
    }
    // Two samples before the window too: the first breaches follow the curve through them.
    std::array<std::int64_t, kCirclesPerPass> inside{};
    RETURN_IF_FAILED(readRelative(std::int64_t{m_first} - 2, m_last, [&](const auto& points) {
        return countInside(points, coefficient, std::span(uncounted.data(), missing),
                           std::span(inside.data(), missing));
    }));
    // Out of the requested time, not of the samples used: a window half lost to a gap scores at most 50.
    const std::int64_t requested = std::int64_t{m_requestedLast} - m_requestedFirst + 1;
    assert(requested > 0 && "a valid range has a requested window of at least its own samples");
    for (std::size_t i = 0; i < missing; ++i) {
        const float percent = static_cast<float>(inside[i] * 100 / requested);
        percents[slots[i]] = percent;
        // As many as the shot list's columns ask for, so that its own never push out one the summary asks next.
        constexpr std::size_t kKept = 6;
        if (m_steadiness.size() == kKept) {
            m_steadiness.erase(m_steadiness.begin());
        }
        const SteadinessCircle& circle = uncounted[i];
        m_steadiness.push_back({circle.radius, coefficient, circle.centreX, circle.centreY, percent});
    }
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
