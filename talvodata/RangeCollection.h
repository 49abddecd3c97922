#pragma once

#include "platform/com/ObjectIdentity.h"

#include "interfaces/talvodata/IEventParams.h"
#include "interfaces/talvodata/IRangeCollection.h"
#include "platform/com/ComObject.h"
#include "platform/com/ComPtr.h"

#include <optional>
#include <vector>

namespace talvodata {

/// The windows of several shots of one event over the same span around each shot: their common window, mean
/// statistics and steadiness, and the coordination and speed curves over all of them. Only grows; never
/// stored. Thread rule: any thread; every method holds the object's lock.
class CRangeCollection final : public platform::com::ComObject<IRangeCollection> {
public:
    CRangeCollection() = default;
    static platform::com::ComPtr<CRangeCollection> create();

    /// The event every range added must belong to; the maker sets it before the first `Add`.
    void setEvent(platform::com::ComPtr<IEventParams> event);

    HRESULT get_Item(LONG nIndex, IRange** pVal) override;
    HRESULT get_Valid(VARIANT_BOOL* pVal) override;
    HRESULT get_PointCount(LONG* pVal) override;
    HRESULT get_RequestedFirst(LONG* pVal) override;
    HRESULT get_RequestedLast(LONG* pVal) override;
    HRESULT get_Count(LONG* pVal) override;
    HRESULT get_First(LONG* pVal) override;
    HRESULT get_Last(LONG* pVal) override;
    HRESULT get_Length(float* pVal) override;
    HRESULT get_LengthX(float* pVal) override;
    HRESULT get_LengthY(float* pVal) override;
    HRESULT get_AveragePointX(float* pVal) override;
    HRESULT get_AveragePointY(float* pVal) override;
    /// Millimetres; 0 with S_OK while there is no common window, E_INVALIDARG outside the requested span.
    HRESULT get_CoordinationPoint(LONG nIndex, float* pVal) override;
    /// Millimetres a second; the same rules as `get_CoordinationPoint`.
    HRESULT get_SpeedPoint(LONG nIndex, float* pVal) override;
    HRESULT Steadiness(float Radius, LONG nFCoefficient, float CenterX, float CenterY, float* pPercent) override;
    /// S_OK without adding for a range that is not valid or already held; E_INVALIDARG for a null range, or one
    /// of another sample rate or event.
    HRESULT Add(IRange* pRange) override;
    HRESULT get__NewEnum(IUnknown** pVal) override;

private:
    struct Statistics {
        float length = 0;
        float lengthX = 0;
        float lengthY = 0;
        float averageX = 0;
        float averageY = 0;
    };
    using Curve = std::vector<float>;

    ~CRangeCollection() override = default;

    HRESULT statistic(float Statistics::*member, float* pVal);
    HRESULT computeStatistics(Statistics& result) const;
    /// A point of a curve, building both curves when that one is not built yet.
    HRESULT curvePoint(LONG nIndex, float* pVal, const std::optional<Curve>& curve);
    /// Builds the speed curve and, unless a range cannot say where it aimed, the coordination curve.
    HRESULT buildCurves();

    std::vector<platform::com::ComPtr<IRange>> m_ranges;
    platform::com::IdentitySet m_held;
    platform::com::ComPtr<IEventParams> m_event;
    LONG m_sampleRate = 0;
    LONG m_first = 0;
    LONG m_last = -1;
    LONG m_requestedFirst = 0;
    LONG m_requestedLast = -1;
    std::optional<Statistics> m_statistics;
    std::optional<Curve> m_coordination;
    std::optional<Curve> m_speed;
};

} // namespace talvodata
