#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComObject.h"

#include <cmath>

namespace talvolink::testsupport {

/// A shooting event with chosen shot limits whose point score is 10.0 within `innerRadius` millimetres of the
/// centre and 0.0 outside, so tests decide which points count as entered or good.
class TestEvent final : public platform::com::ComObject<IEventParams> {
public:
    TestEvent(LONG minShots, LONG maxShots) : m_minShots(minShots), m_maxShots(maxShots) {}

    void setInnerRadius(float millimetres) { m_innerRadius = millimetres; }
    LONG scoreCalls() const { return m_scoreCalls; }

    HRESULT get_MinShotsPerAiming(LONG* pVal) override
    {
        *pVal = m_minShots;
        return S_OK;
    }
    HRESULT get_MaxShotsPerAiming(LONG* pVal) override
    {
        *pVal = m_maxShots;
        return S_OK;
    }
    HRESULT GetPointScore(float x, float y, LONG, float* pScore) override
    {
        ++m_scoreCalls;
        *pScore = std::hypot(x, y) <= m_innerRadius ? 10.0F : 0.0F;
        return S_OK;
    }

    HRESULT get_Value(BSTR, VARIANT*) override { return E_NOTIMPL; }
    HRESULT put_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT putref_Value(BSTR, VARIANT) override { return E_NOTIMPL; }
    HRESULT get_ShortName(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_ShortName(BSTR) override { return E_NOTIMPL; }
    HRESULT get_Target(LONG, ITargetParams**) override { return E_NOTIMPL; }
    HRESULT GetTargetAppearance(LONG, VARIANT_BOOL, VARIANT_BOOL, IDispatch**) override { return E_NOTIMPL; }
    HRESULT get_Name(BSTR*) override { return E_NOTIMPL; }
    HRESULT put_Name(BSTR) override { return E_NOTIMPL; }
    HRESULT get_Caliber(float*) override { return E_NOTIMPL; }
    HRESULT put_Caliber(float) override { return E_NOTIMPL; }
    HRESULT get_Distance(float*) override { return E_NOTIMPL; }
    HRESULT put_Distance(float) override { return E_NOTIMPL; }
    HRESULT put_MinShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT put_MaxShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT GetBreachScore(float, float, LONG, float*) override { return E_NOTIMPL; }
    HRESULT Save() override { return E_NOTIMPL; }
    HRESULT Update() override { return E_NOTIMPL; }
    HRESULT get_DisplayCaliber(float*) override { return E_NOTIMPL; }
    HRESULT put_DisplayCaliber(float) override { return E_NOTIMPL; }
    HRESULT get_TargetCount(LONG*) override { return E_NOTIMPL; }
    HRESULT GetPointArea(float, float, LONG, LONG*, float*, float*) override { return E_NOTIMPL; }
    HRESULT GetNearestArea(float, float, LONG, LONG*, float*, float*) override { return E_NOTIMPL; }
    HRESULT get_MaxShotsPerSerie(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MaxShotsPerSerie(LONG) override { return E_NOTIMPL; }
    HRESULT get_ValuesCount(LONG*) override { return E_NOTIMPL; }
    HRESULT KeyValue(LONG, BSTR*, VARIANT*) override { return E_NOTIMPL; }

private:
    ~TestEvent() override = default;

    LONG m_minShots;
    LONG m_maxShots;
    float m_innerRadius = 5.0F;
    LONG m_scoreCalls = 0;
};

} // namespace talvolink::testsupport
