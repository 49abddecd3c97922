#pragma once

#include "talvodata/tests/support/FakeAttributes.h"

#include "talvodata/AimingTrace.h"
#include "talvodata/Range.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvodata::testing {

/// Builds a trace that keeps every sample (hundredths of a millimetre) and ranges over it, sharing one set of
/// attributes as an aiming does: `RangeBuilder(200).circle(200, 1000, 0.0314).invalid(5).window(-1, 0, 204)`.
class RangeBuilder {
public:
    explicit RangeBuilder(LONG sampleRate = 200, IEventParams* event = nullptr)
        : m_attributes(platform::com::makeComObject<FakeAttributes>(sampleRate, event)), m_trace(CAimingTrace::create())
    {
        m_trace->attachAttributes(m_attributes);
        EXPECT_EQ(S_OK, m_trace->put_WrapEnabled(VARIANT_FALSE));
    }

    RangeBuilder& point(LONG x, LONG y)
    {
        EXPECT_EQ(S_OK, m_trace->_Add(x, y));
        return *this;
    }
    RangeBuilder& points(int count, LONG x, LONG y)
    {
        for (int i = 0; i < count; ++i) {
            point(x, y);
        }
        return *this;
    }
    RangeBuilder& invalid(int count = 1)
    {
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(S_OK, m_trace->AddInvalid());
        }
        return *this;
    }
    /// `count` samples on a circle about the centre, from angle 0 on, rounded to whole hundredths.
    RangeBuilder& circle(int count, double radius, double radiansPerSample)
    {
        for (int i = 0; i < count; ++i) {
            point(static_cast<LONG>(std::lround(radius * std::cos(i * radiansPerSample))),
                  static_cast<LONG>(std::lround(radius * std::sin(i * radiansPerSample))));
        }
        return *this;
    }
    /// `count` samples along x from x = 0, `step` apart.
    RangeBuilder& line(int count, LONG step)
    {
        for (int i = 0; i < count; ++i) {
            point(i * step, 0);
        }
        return *this;
    }

    platform::com::ComPtr<FakeAttributes> attributes() const { return m_attributes; }
    platform::com::ComPtr<CAimingTrace> trace() const { return m_trace; }

    /// A range over the whole trace, relative index 0 at `indexBase`.
    platform::com::ComPtr<CRange> range(LONG indexBase) const
    {
        auto range = CRange::create(m_attributes);
        range->attach(m_trace, indexBase);
        return range;
    }
    platform::com::ComPtr<CRange> window(float firstSeconds, float lastSeconds, LONG indexBase) const
    {
        auto windowed = range(indexBase);
        EXPECT_TRUE(windowed->window(firstSeconds, lastSeconds));
        return windowed;
    }

private:
    platform::com::ComPtr<FakeAttributes> m_attributes;
    platform::com::ComPtr<CAimingTrace> m_trace;
};

} // namespace talvodata::testing
