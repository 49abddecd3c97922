#pragma once

#include "talvodesk/core/document/PulseLog.h"

#include "talvodata/tests/support/PracticeBuilder.h"

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/Bstr.h"

#include <filesystem>
#include <string>

namespace talvodesk::testsupport {

/// Writes a practice of `match` and `sighting` shots (one aiming each, F coefficient 12, enter times a second
/// apart) to `path`, and returns the path as a BSTR for Open.
inline platform::com::Bstr writePractice(const std::filesystem::path& path, int match, int sighting,
                                         const char* event = "AR10")
{
    constexpr DATE kFirst = 46000.25;
    auto document = talvodata::testsupport::PracticeBuilder(event)
                        .shooter(u"Ann")
                        .sightingShots(sighting, kFirst)
                        .matchShots(match, kFirst + 1.0)
                        .build();
    platform::com::Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

/// Writes a practice like writePractice whose shots fall 50 to 64 s apart, each 12 to 24 s after its aiming began,
/// with the shooter's pulse logged every ten shots between 62 and 88, and returns its path for Open.
inline platform::com::Bstr writeTimedPractice(const std::filesystem::path& path, int match, int sighting,
                                              const char* event = "AR10")
{
    constexpr DATE kFirst = 46000.25;
    constexpr double kSecond = 1.0 / 86400;
    talvodata::testsupport::PracticeBuilder builder(event);
    builder.shooter(u"Ann").sightingShots(sighting, kFirst).matchShots(match, kFirst);
    const int readings = match / 10 + 1;
    for (int k = 0; k < readings; ++k) {
        const std::string index = std::to_string(k);
        builder
            .value(("_pulse_s" + index).c_str(),
                   pulselog::int16Value(static_cast<std::int16_t>(62 + k * 26 / readings)))
            .value(("_pulse_t" + index).c_str(), platform::com::Variant::fromDate(kFirst + k * 500 * kSecond));
    }
    builder.value("_pulse_fi", platform::com::Variant::fromInt32(0))
        .value("_pulse_li", platform::com::Variant::fromInt32(readings - 1));
    auto document = builder.build();
    platform::com::ComPtr<IAimingCollection> aimings;
    platform::com::ComPtr<IShotCollection> shots;
    LONG count = 0;
    EXPECT_EQ(S_OK, document->get_Aimings(aimings.put()));
    EXPECT_EQ(S_OK, aimings->get_Shots(VARIANT_TRUE, shots.put()));
    EXPECT_EQ(S_OK, shots->get_Count(&count));
    for (LONG i = 1; i <= count; ++i) {
        platform::com::ComPtr<IShot> shot;
        EXPECT_EQ(S_OK, shots->get_Item(i, shot.put()));
        const DATE time = kFirst + (i * 50 + i % 3 * 7) * kSecond;
        EXPECT_EQ(S_OK, shot->put_ShotTime(time));
        platform::com::ComPtr<IAiming> aiming;
        platform::com::ComPtr<IAimingAttr> attributes;
        EXPECT_EQ(S_OK, aimings->FindAiming(shot.get(), aiming.put()));
        EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
        EXPECT_EQ(S_OK, attributes->put_EnterTime(time - (12 + i % 5 * 3) * kSecond));
    }
    platform::com::Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

} // namespace talvodesk::testsupport
