#pragma once

#include "talvodata/tests/support/Events.h"

#include "talvodata/Aiming.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/com/MemoryStream.h"
#include "platform/com/StreamForms.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

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

/// `aiming` read back from its saved record with shot 1's trace index patched to `index`, as a hostile file holds
/// it (the index has no setter). The shot's time is used to find the index in the record.
inline platform::com::ComPtr<CAiming> withTraceIndex(IAiming* aiming, LONG index)
{
    constexpr DATE kMarker = 12345.678;
    platform::com::ComPtr<IShot> shot;
    EXPECT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
    EXPECT_EQ(S_OK, shot->put_ShotTime(kMarker));
    auto saved = platform::com::makeComObject<platform::com::MemoryStream>();
    EXPECT_EQ(S_OK, platform::com::writeObject(saved.get(), aiming));
    std::vector<std::uint8_t> bytes = saved->bytes();
    std::uint8_t marker[sizeof kMarker];
    std::memcpy(marker, &kMarker, sizeof marker);
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(marker), std::end(marker));
    if (at == bytes.end() || at - bytes.begin() < 4) {
        ADD_FAILURE() << "the aiming's record holds no shot time to find";
        return {};
    }
    std::memcpy(&*(at - 4), &index, sizeof index); // The trace index comes just before the shot time.
    auto patched = platform::com::makeComObject<platform::com::MemoryStream>(bytes);
    auto copy = CAiming::create();
    EXPECT_TRUE(copy.hasValue());
    EXPECT_EQ(S_OK, platform::com::readObject(patched.get(), static_cast<IAiming*>(copy.value().get())));
    return copy.value();
}

} // namespace talvodata::testsupport
