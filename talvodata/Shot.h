#pragma once

#include "talvodata/NamedValueProperty.h"
#include "talvodata/PersistentObject.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"

#include <array>
#include <bit>
#include <cstdint>
#include <limits>
#include <type_traits>

namespace talvodata {

/// One shot of an aiming. Its breach is extrapolated from the trace at the shot (or taken from a real breach)
/// and scored on the event's face when asked. Thread rule: any thread; every method holds the object's lock.
class CShot final : public NamedValueProperty<PersistentObject<IShot>> {
public:
    CShot() = default;
    static platform::com::ComPtr<CShot> create();

    /// What the aiming gives a new shot.
    void setUp(platform::com::ComPtr<IAimingAttr> attributes, platform::com::ComPtr<IAimingTrace> trace,
               LONG traceIndex, bool missed);
    /// A NaN removes the stored phase.
    HRESULT setMicrophonePhase(double phase);

    HRESULT get_Result(float* pVal) override;
    HRESULT get_BreachX(float* pVal) override;
    HRESULT get_BreachY(float* pVal) override;
    HRESULT get_ShotTime(DATE* pVal) override;
    HRESULT put_ShotTime(DATE newVal) override;
    HRESULT get_Missed(VARIANT_BOOL* pVal) override;
    HRESULT get_Attr(IAimingAttr** pVal) override;
    HRESULT get_TraceIndex(LONG* pVal) override;
    HRESULT Breach(float* x, float* y) override;
    HRESULT Range(float First, float Last, IRange** pVal) override;
    HRESULT get_RealBreachX(float* pVal) override;
    HRESULT put_RealBreachX(float newVal) override;
    HRESULT get_RealBreachY(float* pVal) override;
    HRESULT put_RealBreachY(float newVal) override;
    HRESULT get_IsRealBreachValid(VARIANT_BOOL* pVal) override;
    HRESULT get_OffsetX(float* pVal) override;
    HRESULT put_OffsetX(float newVal) override;
    HRESULT get_OffsetY(float* pVal) override;
    HRESULT put_OffsetY(float newVal) override;
    HRESULT get_Hidden(VARIANT_BOOL* pVal) override;
    HRESULT put_Hidden(VARIANT_BOOL newVal) override;
    HRESULT get_AreaIndex(LONG* pVal) override;
    HRESULT get_Trace(IAimingTrace** pVal) override;
    HRESULT get_microphonePhase(double* pVal) override;

    static constexpr std::int32_t kRecordVersion = 3;
    /// "No phase": the double whose 64 bits are all ones (a NaN).
    static constexpr double kNoPhase = std::bit_cast<double>(~std::uint64_t{0});
    /// A real breach coordinate holding this value is not set.
    static constexpr float kNoRealBreach = std::numeric_limits<float>::max();

private:
    ~CShot() override = default;

    const CLSID& persistentClassId() const override;
    HRESULT saveRecord(IStream* stream) override;
    HRESULT loadRecord(IStream* stream) override;

    bool hasRealBreach() const { return m_realBreachX != kNoRealBreach && m_realBreachY != kNoRealBreach; }
    double microphonePhase() const;
    HRESULT breach(float& x, float& y);
    /// Asks the shot's event about its breach: E_POINTER for a null out-pointer, `missed` for a missed shot, E_FAIL
    /// when the attributes name no event or sub-target.
    template <typename T, typename Ask> HRESULT askEvent(T* pVal, std::type_identity_t<T> missed, Ask ask);

    struct BreachCache {
        bool filled = false;
        LONG coefficient = 0;
        float x = 0;
        float y = 0;
    };

    platform::com::ComPtr<IAimingAttr> m_attributes;
    platform::com::ComPtr<IAimingTrace> m_trace;
    LONG m_traceIndex = 0;
    DATE m_shotTime = 0;
    bool m_missed = false;
    bool m_hidden = false;
    float m_realBreachX = kNoRealBreach;
    float m_realBreachY = kNoRealBreach;
    float m_offsetX = 0;
    float m_offsetY = 0;
    BreachCache m_breachCache;
    /// The ranges (-1, 0) and (0, 0), kept once the trace no longer changes.
    std::array<platform::com::ComPtr<IRange>, 2> m_rangeCache;
};

} // namespace talvodata
