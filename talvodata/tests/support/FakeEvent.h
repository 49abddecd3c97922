#pragma once

#include "interfaces/talvodata/IEventParams.h"
#include "platform/com/ComObject.h"

namespace talvodata::testing {

/// An event that scores a breach by its x coordinate (so results are easy to choose) and whose every point is
/// nearest one area centred at a chosen point. It remembers the sub-target it was last asked about.
class FakeEvent final : public platform::com::ComObject<IEventParams> {
public:
    FakeEvent() = default;

    void setAreaCentre(float x, float y)
    {
        m_centreX = x;
        m_centreY = y;
    }
    LONG lastSubTarget() const { return m_lastSubTarget; }

    HRESULT get_MaxShotsPerSerie(LONG* pVal) override
    {
        *pVal = m_maxShotsPerSerie;
        return S_OK;
    }
    HRESULT put_MaxShotsPerSerie(LONG newVal) override
    {
        m_maxShotsPerSerie = newVal;
        return S_OK;
    }
    HRESULT GetBreachScore(float x, float, LONG SubTarget, float* pScore) override
    {
        m_lastSubTarget = SubTarget;
        *pScore = x;
        return S_OK;
    }
    HRESULT GetNearestArea(float, float, LONG SubTarget, LONG* AreaIndex, float* cx, float* cy) override
    {
        m_lastSubTarget = SubTarget;
        *AreaIndex = 1;
        *cx = m_centreX;
        *cy = m_centreY;
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
    HRESULT get_MinShotsPerAiming(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MinShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT get_MaxShotsPerAiming(LONG*) override { return E_NOTIMPL; }
    HRESULT put_MaxShotsPerAiming(LONG) override { return E_NOTIMPL; }
    HRESULT GetPointScore(float, float, LONG, float*) override { return E_NOTIMPL; }
    HRESULT Save() override { return E_NOTIMPL; }
    HRESULT Update() override { return E_NOTIMPL; }
    HRESULT get_DisplayCaliber(float*) override { return E_NOTIMPL; }
    HRESULT put_DisplayCaliber(float) override { return E_NOTIMPL; }
    HRESULT get_TargetCount(LONG*) override { return E_NOTIMPL; }
    HRESULT GetPointArea(float, float, LONG, LONG*, float*, float*) override { return E_NOTIMPL; }
    HRESULT get_ValuesCount(LONG*) override { return E_NOTIMPL; }
    HRESULT KeyValue(LONG, BSTR*, VARIANT*) override { return E_NOTIMPL; }

private:
    ~FakeEvent() override = default;

    LONG m_maxShotsPerSerie = 10;
    float m_centreX = 0;
    float m_centreY = 0;
    LONG m_lastSubTarget = 0;
};

} // namespace talvodata::testing
