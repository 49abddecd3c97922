#pragma once

#include "talvodata/tests/support/AimingBuilder.h"

#include "interfaces/talvodata/IAimingCollection.h"
#include "platform/com/Bstr.h"
#include "talvodata/TalvoDocument.h"

#include <filesystem>
#include <vector>

namespace talvodesk::testsupport {

/// One aiming of a series practice: its trace holds 300 samples from (x, y) moving (stepX, stepY) per sample
/// (hundredths of a millimetre), then the shots, then 40 samples.
struct SeriesShot {
    bool match = true;
    long x = 0;
    long y = 0;
    long stepX = 0;
    long stepY = 0;
    bool missed = false;
    bool hidden = false;
    /// From the aiming's entry to its first shot; each further shot of the aiming comes `seconds` later again.
    double seconds = 4.0;
    int shots = 1;
    long subTarget = 1;
};

inline platform::com::ComPtr<IAiming> seriesAiming(const char* event, const SeriesShot& spec, DATE enter)
{
    talvodata::testsupport::AimingBuilder builder(event);
    builder.at(spec.x, spec.y).samples(300, spec.stepX, spec.stepY);
    for (int i = 0; i < spec.shots; ++i) {
        builder.shot(spec.missed).samples(40, spec.stepX, spec.stepY);
    }
    platform::com::ComPtr<IAiming> aiming = builder.conclude().build();
    platform::com::ComPtr<IAimingAttr> attributes;
    EXPECT_EQ(S_OK, aiming->get_Attr(attributes.put()));
    EXPECT_EQ(S_OK, attributes->put_Match(spec.match ? VARIANT_TRUE : VARIANT_FALSE));
    EXPECT_EQ(S_OK, attributes->put_EnterTime(enter));
    EXPECT_EQ(S_OK, attributes->put_SubTarget(spec.subTarget));
    for (int i = 1; i <= spec.shots; ++i) {
        platform::com::ComPtr<IShot> shot;
        EXPECT_EQ(S_OK, aiming->get_Shot(i, shot.put()));
        EXPECT_EQ(S_OK, shot->put_ShotTime(enter + i * spec.seconds / 86400.0));
        if (spec.hidden) {
            EXPECT_EQ(S_OK, shot->put_Hidden(VARIANT_TRUE));
        }
    }
    return aiming;
}

/// A practice of the given aimings, entered a minute apart from `first`.
inline platform::com::ComPtr<talvodata::CTalvoDocument>
seriesPractice(const char* event, const std::vector<SeriesShot>& shots, DATE first = 46000.25)
{
    auto document = talvodata::CTalvoDocument::create().value();
    platform::com::ComPtr<IAimingCollection> aimings;
    EXPECT_EQ(S_OK, document->get_Aimings(aimings.put()));
    EXPECT_EQ(S_OK, document->put_Event(talvodata::testsupport::shippedEvent(event).get()));
    EXPECT_EQ(S_OK, document->put_ShooterName(platform::com::Bstr(u"Ann").get()));
    for (std::size_t i = 0; i < shots.size(); ++i) {
        EXPECT_EQ(S_OK, aimings->Add(seriesAiming(event, shots[i], first + static_cast<double>(i) / 1440.0).get()));
    }
    return document;
}

/// Sixty shots: 5 sighting, then 55 match shots of which the 13th and 40th are missed and the 25th hidden; most
/// aimings hold still somewhere on the face, every seventh moves 0.1 mm a sample to the right.
inline std::vector<SeriesShot> sixtyShots()
{
    std::vector<SeriesShot> shots;
    for (int i = 0; i < 60; ++i) {
        SeriesShot shot;
        shot.match = i >= 5;
        shot.x = (i * 37 % 11 - 5) * 40;
        shot.y = (i * 53 % 7 - 3) * 40;
        shot.stepX = i % 7 == 3 ? 10 : 0;
        shot.missed = i == 17 || i == 44;
        shot.hidden = i == 29;
        shot.seconds = 3.0 + (i % 5) * 0.5;
        shots.push_back(shot);
    }
    return shots;
}

inline platform::com::Bstr saveSeriesPractice(platform::com::ComPtr<talvodata::CTalvoDocument> document,
                                              const std::filesystem::path& path)
{
    platform::com::Bstr name(path.string());
    EXPECT_EQ(S_OK, document->put_FileName(name.get()));
    EXPECT_EQ(S_OK, document->Save());
    return name;
}

} // namespace talvodesk::testsupport
