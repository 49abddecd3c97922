#pragma once

#include "talvodata/tests/support/Events.h"

#include "talvodata/Aiming.h"

#include <gtest/gtest.h>

namespace talvodata::testsupport {

/// Builds aimings as the device link does: `AimingBuilder().samples(300).shot().build()`.
class AimingBuilder {
public:
    explicit AimingBuilder(const char* eventShortName = "AR10", LONG sampleRate = 200)
    {
        auto aiming = CAiming::create();
        EXPECT_TRUE(aiming.hasValue());
        m_aiming = std::move(aiming).value();
        EXPECT_EQ(S_OK, m_aiming->get_Attr(m_attributes.put()));
        EXPECT_EQ(S_OK, m_aiming->get_Trace(m_trace.put()));
        EXPECT_EQ(S_OK, m_attributes->put_SampleRate(sampleRate));
        if (auto event = shippedEvent(eventShortName)) {
            EXPECT_EQ(S_OK, m_attributes->put_Event(event.get()));
        }
    }

    /// Appends samples on a line that moves `stepX`, `stepY` hundredths of a millimetre per sample.
    AimingBuilder& samples(int count, LONG stepX = 0, LONG stepY = 0)
    {
        for (int i = 0; i < count; ++i) {
            EXPECT_EQ(S_OK, m_trace->_Add(m_x, m_y));
            m_x += stepX;
            m_y += stepY;
        }
        return *this;
    }
    AimingBuilder& at(LONG x, LONG y)
    {
        m_x = x;
        m_y = y;
        return *this;
    }
    AimingBuilder& stopSliding()
    {
        EXPECT_EQ(S_OK, m_trace->put_WrapEnabled(VARIANT_FALSE));
        return *this;
    }
    AimingBuilder& shot(bool missed = false)
    {
        platform::com::ComPtr<IShot> added;
        EXPECT_EQ(S_OK, m_aiming->AddShot(missed ? VARIANT_TRUE : VARIANT_FALSE, added.put()));
        return *this;
    }
    AimingBuilder& conclude()
    {
        EXPECT_EQ(S_OK, m_trace->put_ReadOnly(VARIANT_TRUE));
        return *this;
    }

    platform::com::ComPtr<CAiming> build() const { return m_aiming; }

private:
    platform::com::ComPtr<CAiming> m_aiming;
    platform::com::ComPtr<IAimingAttr> m_attributes;
    platform::com::ComPtr<IAimingTrace> m_trace;
    LONG m_x = 0;
    LONG m_y = 0;
};

} // namespace talvodata::testsupport
