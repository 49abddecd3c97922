#pragma once

#include "talvodata/tests/support/FakeAimingAttr.h"

#include "talvodata/AimingTrace.h"

#include <gtest/gtest.h>

#include <cmath>

namespace talvodata::testsupport {

/// Builds traces sample by sample: `TraceBuilder(200).samples(1200).build()`.
class TraceBuilder {
public:
    explicit TraceBuilder(LONG sampleRate = 200)
        : m_trace(CAimingTrace::create()), m_attributes(platform::com::makeComObject<FakeAimingAttr>(sampleRate))
    {
        m_trace->attachAttributes(m_attributes);
    }

    /// Appends `count` samples on a slow circle of radius 10 mm (hundredths: -1000 .. 1000).
    TraceBuilder& samples(int count)
    {
        for (int i = 0; i < count; ++i, ++m_appended) {
            const double angle = m_appended * 0.01;
            EXPECT_EQ(S_OK, m_trace->_Add(static_cast<LONG>(1000 * std::cos(angle)),
                                          static_cast<LONG>(1000 * std::sin(angle))));
        }
        return *this;
    }
    TraceBuilder& point(LONG x, LONG y)
    {
        EXPECT_EQ(S_OK, m_trace->_Add(x, y));
        ++m_appended;
        return *this;
    }
    TraceBuilder& invalid()
    {
        EXPECT_EQ(S_OK, m_trace->AddInvalid());
        ++m_appended;
        return *this;
    }
    TraceBuilder& stopSliding()
    {
        EXPECT_EQ(S_OK, m_trace->put_WrapEnabled(VARIANT_FALSE));
        return *this;
    }
    TraceBuilder& readOnly()
    {
        EXPECT_EQ(S_OK, m_trace->put_ReadOnly(VARIANT_TRUE));
        return *this;
    }

    platform::com::ComPtr<CAimingTrace> build() const { return m_trace; }

private:
    platform::com::ComPtr<CAimingTrace> m_trace;
    platform::com::ComPtr<FakeAimingAttr> m_attributes;
    int m_appended = 0;
};

} // namespace talvodata::testsupport
