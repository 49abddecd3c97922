#pragma once

#include "talvodata/tests/support/FakeAttributes.h"

#include "talvodata/AimingTrace.h"
#include "talvodata/Shot.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvodata::testing {

/// Makes shots as an aiming does, each with attributes of its own and a steady trace whose breach lies at
/// (result, 0) mm, so that a FakeEvent scores it `result`: `ShotBuilder(event).result(9.5f).sighting().build()`.
class ShotBuilder {
public:
    explicit ShotBuilder(IEventParams* event) : m_event(event) {}

    ShotBuilder& result(float score)
    {
        m_score = score;
        return *this;
    }
    ShotBuilder& sighting()
    {
        m_match = false;
        return *this;
    }
    ShotBuilder& missed()
    {
        m_missed = true;
        return *this;
    }
    /// Samples up to and including the shot; 201 by default, a full second before it at 200 Hz.
    ShotBuilder& samples(int count)
    {
        m_samples = count;
        return *this;
    }

    platform::com::ComPtr<CShot> build() const
    {
        auto attributes = platform::com::makeComObject<FakeAttributes>(200, m_event);
        EXPECT_EQ(S_OK, attributes->put_Match(m_match ? VARIANT_TRUE : VARIANT_FALSE));
        auto trace = CAimingTrace::create();
        trace->attachAttributes(attributes);
        EXPECT_EQ(S_OK, trace->put_WrapEnabled(VARIANT_FALSE));
        for (int i = 0; i < m_samples; ++i) {
            EXPECT_EQ(S_OK, trace->_Add(static_cast<LONG>(std::lround(m_score * 100.0f)), 0));
        }
        auto shot = CShot::create();
        shot->setUp(attributes, trace, m_samples - 1, m_missed);
        return shot;
    }

private:
    IEventParams* m_event;
    float m_score = 10.0f;
    bool m_match = true;
    bool m_missed = false;
    int m_samples = 201;
};

} // namespace talvodata::testing
