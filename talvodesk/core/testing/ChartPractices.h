#pragma once

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/com/Bstr.h"
#include "talvodata/Aiming.h"
#include "talvodata/TalvoDocument.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>
#include <vector>

namespace talvodesk::testsupport {

/// One aiming of a chart practice: the aim held still at (x, y) hundredths of a millimetre at 200 Hz.
struct HeldShot {
    LONG x = 0;
    LONG y = 0;
    int before = 300;
    int after = 40;
    bool match = true;
    bool missed = false;
    LONG subTarget = 1;
    /// The "_trigger" value of every sample; none when negative.
    LONG trigger = -1;
    /// The aim at each sample by its index relative to the shot, in place of (x, y).
    std::function<std::pair<LONG, LONG>(int)> path = {};
};

inline platform::com::ComPtr<IAiming> heldAiming(const char* event, const HeldShot& shot, DATE enterTime)
{
    auto created = talvodata::CAiming::create();
    EXPECT_TRUE(created.hasValue());
    platform::com::ComPtr<talvodata::CAiming> aiming = std::move(created).value();
    platform::com::ComPtr<IAimingAttr> attributes;
    platform::com::ComPtr<IAimingTrace> trace;
    EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_EQ(S_OK, aiming->get_Trace(trace.put()));
    EXPECT_EQ(S_OK, attributes->put_SampleRate(200));
    EXPECT_EQ(S_OK, attributes->put_Event(talvodata::testsupport::shippedEvent(event).get()));
    EXPECT_EQ(S_OK, attributes->put_Match(shot.match ? VARIANT_TRUE : VARIANT_FALSE));
    EXPECT_EQ(S_OK, attributes->put_SubTarget(shot.subTarget));
    EXPECT_EQ(S_OK, attributes->put_EnterTime(enterTime));
    // The shot falls on the last sample before it: relative index 0.
    const auto add = [&](int relative) {
        const auto [x, y] = shot.path ? shot.path(relative) : std::pair<LONG, LONG>(shot.x, shot.y);
        EXPECT_EQ(S_OK, trace->_Add(x, y));
    };
    for (int i = 0; i < shot.before; ++i) {
        add(i - shot.before + 1);
    }
    platform::com::ComPtr<IShot> added;
    EXPECT_EQ(S_OK, aiming->AddShot(shot.missed ? VARIANT_TRUE : VARIANT_FALSE, added.put()));
    for (int i = 0; i < shot.after; ++i) {
        add(i + 1);
    }
    if (shot.trigger >= 0) {
        LONG channel = 0;
        LONG first = 0;
        LONG last = 0;
        EXPECT_EQ(S_OK, trace->AddUserData(platform::com::Bstr(u"_trigger").get(), &channel));
        EXPECT_EQ(S_OK, trace->get_First(&first));
        EXPECT_EQ(S_OK, trace->get_Last(&last));
        for (LONG i = first; i <= last; ++i) {
            EXPECT_EQ(S_OK, trace->put_UserData(channel, i, shot.trigger));
        }
    }
    EXPECT_EQ(S_OK, trace->put_ReadOnly(VARIANT_TRUE));
    return aiming;
}

/// Saves a practice of `event` with one aiming per shot, a second apart, and returns its path for Open.
inline platform::com::Bstr saveHeldPractice(const std::filesystem::path& path, const char* event,
                                            const std::vector<HeldShot>& shots)
{
    auto created = talvodata::CTalvoDocument::create();
    EXPECT_TRUE(created.hasValue());
    platform::com::ComPtr<talvodata::CTalvoDocument> document = std::move(created).value();
    platform::com::ComPtr<IAimingCollection> aimings;
    EXPECT_EQ(S_OK, document->get_Aimings(aimings.put()));
    EXPECT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent(event).get()));
    DATE when = 46000.25;
    for (const HeldShot& shot : shots) {
        EXPECT_EQ(S_OK, aimings->Add(heldAiming(event, shot, when).get()));
        when += 1.0 / 86400;
    }
    platform::com::Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

} // namespace talvodesk::testsupport
