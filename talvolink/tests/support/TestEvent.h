#pragma once

#include "talvodata/tests/support/EventParamsStub.h"

#include <cmath>

namespace talvolink::testsupport {

/// A shooting event with chosen shot limits whose point score is 10.0 within `innerRadius` millimetres of the
/// centre and 0.0 outside, so tests decide which points count as entered or good.
class TestEvent final : public talvodata::testing::EventParamsStub {
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

private:
    ~TestEvent() override = default;

    LONG m_minShots;
    LONG m_maxShots;
    float m_innerRadius = 5.0F;
    LONG m_scoreCalls = 0;
};

} // namespace talvolink::testsupport
