#pragma once

#include "talvodata/RangeSteadiness.h"
#include "talvodata/TracePoints.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "interfaces/talvodata/IRange.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace talvodata {

/// A window of one aiming's trace in relative sample indexes around a reference sample, with its statistics
/// and the extrapolated breach. Made, attached and windowed by an aiming or a shot, then only read; never
/// stored. Thread rule: any thread; every method holds the object's lock.
class CRange final : public platform::com::ComObject<IRange, IRangeSteadiness> {
public:
    CRange() = default;
    static platform::com::ComPtr<CRange> create();
    static platform::com::ComPtr<CRange> create(platform::com::ComPtr<IAimingAttr> attributes);

    /// Binds the range to a trace whose sample `indexBase` becomes relative index 0. The window becomes the
    /// whole trace when it holds samples; otherwise the range stays not valid.
    void attach(platform::com::ComPtr<IAimingTrace> trace, LONG indexBase);
    /// Narrows the window to the last unbroken run of valid samples between the two times (seconds around the
    /// reference sample), clipped to the trace. False when the end lies before the start or the trace cannot
    /// be read. A window holding no valid sample leaves the range not valid.
    bool window(float firstSeconds, float lastSeconds);

    HRESULT get_Valid(VARIANT_BOOL* pVal) override;
    HRESULT get_RequestedFirst(LONG* pVal) override;
    HRESULT get_RequestedLast(LONG* pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT get_First(LONG* pVal) override;
    HRESULT get_Last(LONG* pVal) override;
    HRESULT get_x(LONG nIndex, float* pVal) override;
    HRESULT get_y(LONG nIndex, float* pVal) override;
    HRESULT get_SampleRate(LONG* pVal) override;
    HRESULT get_Length(float* pVal) override;
    HRESULT get_LengthX(float* pVal) override;
    HRESULT get_LengthY(float* pVal) override;
    HRESULT get_AveragePointX(float* pVal) override;
    HRESULT get_AveragePointY(float* pVal) override;
    /// E_UNEXPECTED while the sample rate is unknown.
    HRESULT Index2Sec(LONG nIndex, float* pVal) override;
    HRESULT Sec2Index(float Seconds, LONG* pVal) override;
    HRESULT Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent) override;
    HRESULT Breaches(LONG nIndex, LONG nFCoefficient, float* pX, float* pY) override;
    /// E_FAIL when the attributes have no event.
    HRESULT get_Event(IEventParams** pVal) override;
    HRESULT GetBounds(float* Left, float* Top, float* Right, float* Bottom) override;
    HRESULT get_ValidCoordinate(LONG nIndex, VARIANT_BOOL* pVal) override;
    /// The event's answer on the aiming's sub-target; E_FAIL without an event.
    HRESULT GetNearestArea(float x, float y, LONG* AreaIndex, float* cx, float* cy) override;
    HRESULT get_Trace(IAimingTrace** pVal) override;
    HRESULT get_IndexBase(LONG* pVal) override;
    HRESULT get_UserData(LONG DataIndex, LONG index, LONG* pVal) override;
    /// E_INVALIDARG when the trace holds no sample at the index.
    HRESULT Breaches2(LONG nIndex, LONG nFCoefficient, double microphonePhase, float* pX, float* pY) override;

    HRESULT steadiness(LONG coefficient, std::span<const SteadinessCircle> circles, std::span<float> percents) override;

private:
    /// Millimetres; all zero when the window is a single sample or the trace cannot be read.
    struct Statistics {
        float length = 0;
        float lengthX = 0;
        float lengthY = 0;
        float averageX = 0;
        float averageY = 0;
        float minX = 0;
        float minY = 0;
        float maxX = 0;
        float maxY = 0;
    };

    struct BreachCache {
        LONG coefficient = 0;
        double phase = 0;
        float x = 0;
        float y = 0;
    };

    /// A steadiness counted: the shot list and the practice summary ask the same range for the same one.
    struct CountedSteadiness {
        float radius = 0;
        LONG coefficient = 0;
        float centreX = 0;
        float centreY = 0;
        float percent = 0;
    };

    ~CRange() override = default;

    bool inWindow(LONG index) const { return index >= m_first && index <= m_last; }
    /// The trace index of a relative index; E_INVALIDARG past the 32-bit indexes.
    HRESULT absolute(std::int64_t relative, LONG& index) const;
    /// Calls `visit` with the samples the trace holds between two relative indexes, where the trace stores them and
    /// under one lock of it (see readStoredPoints).
    template <typename Visit>
    HRESULT readRelative(std::int64_t firstRelative, std::int64_t lastRelative, Visit&& visit) const;
    HRESULT coordinate(LONG nIndex, bool wantX, float* pVal) const;
    HRESULT statistic(float Statistics::*member, float* pVal);
    const Statistics& statistics();
    template <typename Points> HRESULT computeStatistics(const Points& points, Statistics& result) const;
    /// The most circles one pass over the window's breaches counts.
    static constexpr std::size_t kCirclesPerPass = 8;
    /// The percents of up to kCirclesPerPass circles: the kept ones, and the others counted in one pass.
    HRESULT steadinessPass(LONG coefficient, std::span<const SteadinessCircle> circles, std::span<float> percents);
    /// For each circle, the window's samples whose breach lies within it.
    template <typename Points>
    HRESULT countInside(const Points& points, LONG coefficient, std::span<const SteadinessCircle> circles,
                        std::span<std::int64_t> inside) const;
    /// The breach at relative index nIndex (phase given), from the cache when it holds that one; index 0's is cached.
    template <typename Points>
    HRESULT breach(const Points& points, LONG nIndex, LONG coefficient, double phase, float& x, float& y);
    /// The lead time of a correction coefficient (milliseconds) in samples.
    double leadSamples(LONG coefficient) const { return static_cast<double>(coefficient) * m_sampleRate / 1000.0; }
    template <typename Points>
    HRESULT extrapolate(const Points& points, LONG nIndex, LONG coefficient, double phase, float& x, float& y) const;

    platform::com::ComPtr<IAimingAttr> m_attributes;
    platform::com::ComPtr<IAimingTrace> m_trace;
    platform::com::ComPtr<ITracePoints> m_points; // Null for a trace of another maker, which cannot be read.
    LONG m_indexBase = 0;
    LONG m_requestedFirst = 0;
    LONG m_requestedLast = -1;
    LONG m_first = 0;
    LONG m_last = -1;
    bool m_valid = false;
    LONG m_sampleRate = 0;
    std::optional<Statistics> m_statistics;
    std::optional<BreachCache> m_breachCache;
    std::vector<CountedSteadiness> m_steadiness;
};

} // namespace talvodata
