#pragma once

#include "talvodata/tests/support/EventParamsStub.h"

namespace talvodata::testing {

/// An event that scores a breach by its x coordinate (so results are easy to choose) and whose every point is
/// nearest one area centred at a chosen point. It remembers the sub-target it was last asked about.
class FakeEvent final : public talvodata::testing::EventParamsStub {
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

private:
    ~FakeEvent() override = default;

    LONG m_maxShotsPerSerie = 10;
    float m_centreX = 0;
    float m_centreY = 0;
    LONG m_lastSubTarget = 0;
};

} // namespace talvodata::testing
