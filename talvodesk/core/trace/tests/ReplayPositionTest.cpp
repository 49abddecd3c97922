#include "talvodesk/core/trace/ReplayPosition.h"

#include "talvodesk/core/document/PulseLog.h"

#include "talvodata/tests/support/AimingBuilder.h"

#include <gtest/gtest.h>

#include <limits>
#include <vector>

namespace talvodesk {
namespace {

TEST(ReplayPositionTest, ScrollStepsFollowTheSampleRateAndStayInTheRange)
{
    struct Case {
        const char* name;
        ScrollCode code;
        LONG current;
        LONG rate;
        int thumb;
        LONG expected;
    };
    // The range runs from -400 to 100.
    const Case cases[] = {
        {"line left, rate 100: 5 not 3", ScrollCode::LineLeft, 0, 100, 0, -5},
        {"line right, rate 100", ScrollCode::LineRight, 0, 100, 0, 5},
        {"line at rate 300 is rate / 30", ScrollCode::LineRight, 0, 300, 0, 10},
        {"page left, rate 100", ScrollCode::PageLeft, 0, 100, 0, -20},
        {"page right, rate 200", ScrollCode::PageRight, 0, 200, 0, 40},
        {"thumb track", ScrollCode::ThumbTrack, 0, 100, -123, -123},
        {"thumb position is 16-bit signed", ScrollCode::ThumbTrack, 0, 100, 65536 + 50, 50},
        {"top", ScrollCode::Left, 0, 100, 0, -400},
        {"bottom", ScrollCode::Right, 0, 100, 0, 100},
        {"other codes keep the index", ScrollCode::Other, 42, 100, 7, 42},
        {"clamped at the first", ScrollCode::PageLeft, -390, 100, 0, -400},
        {"clamped at the last", ScrollCode::LineRight, 98, 100, 0, 100},
        {"thumb past the last", ScrollCode::ThumbTrack, 0, 100, 3000, 100},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.expected, ReplayScrollIndex(c.code, c.current, c.rate, c.thumb, -400, 100));
    }
}

TEST(ReplayPositionTest, TheBeatPhaseIsZeroFromABeatsStartToItsBeat)
{
    constexpr DATE kShot = 45000.0;
    constexpr double kDay = 86400.0;
    const auto at = [](double seconds) { return kShot + seconds / kDay; };
    // Times are compared as stored (OLE dates), so the cases keep off the edges by 0.01 s.
    // Beat 1 at -2 s with no start of its own; beat 2 at -1 s starting at -1.2 s; beat 3 at 0.5 s without a
    // start: it starts a third of the 1.5 s interval earlier, at 0 s.
    const std::vector<HeartBeatTimes> beats{{0, at(-2.0)}, {at(-1.2), at(-1.0)}, {0, at(0.5)}};
    struct Case {
        double seconds;
        int phase;
    };
    const Case cases[] = {
        {-2.5, 1},  {-2.1, 1},                          // The first beat without a start time has no phase 0.
        {-1.21, 1}, {-1.19, 0}, {-1.01, 0}, {-0.99, 1}, // The beat itself ends the phase.
        {-0.01, 1}, {0.01, 0},  {0.49, 0},  {0.51, 1},  {3.0, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(c.phase, BeatPhaseAt(beats, kShot, c.seconds));
    }
    EXPECT_EQ(1, BeatPhaseAt({}, kShot, 0.0));
}

TEST(ReplayPositionTest, HeartBeatsAreReadAsFarAsTheLogHoldsThem)
{
    using platform::com::Variant;
    constexpr LONG kMin = std::numeric_limits<LONG>::min();
    constexpr LONG kMax = std::numeric_limits<LONG>::max();
    struct Case {
        const char* name;
        LONG first;
        LONG last;
        std::size_t beats;
        long appendedAt; // the index the next beat goes to
    };
    // Three beats are held at 0, 1 and 2.
    const Case cases[] = {
        {"sound", 0, 2, 3, 3},
        {"one of them", 1, 1, 1, 2},
        {"last before first", 2, 0, 0, 1},
        {"last index of the largest", 0, kMax, 3, 0},
        {"first index of the smallest", kMin, 2, 0, 3},
        {"both at their ends", kMin, kMax, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        platform::com::ComPtr<IAimingAttr> attributes;
        ASSERT_EQ(S_OK, talvodata::testsupport::AimingBuilder().build()->get_Attr(attributes.put()));
        for (long i = 0; i < 3; ++i) {
            ASSERT_TRUE(AppendHeartBeat(attributes.get(), 45000.0 + i, 45000.5 + i));
        }
        ASSERT_TRUE(pulselog::write(attributes.get(), platform::com::Bstr("_pulse_fi"), Variant::fromInt32(c.first)));
        ASSERT_TRUE(pulselog::write(attributes.get(), platform::com::Bstr("_pulse_li"), Variant::fromInt32(c.last)));
        ASSERT_EQ(GetPulseSampleCount(attributes.get()), static_cast<long>(c.beats));
        EXPECT_EQ(ReadHeartBeats(attributes.get()).size(), c.beats);

        ASSERT_TRUE(AppendHeartBeat(attributes.get(), 46000.0, 46000.5));
        Variant last;
        ASSERT_TRUE(pulselog::read(attributes.get(), "_pulse_li", last));
        EXPECT_EQ(last.get().lVal, c.appendedAt);
    }
}

} // namespace
} // namespace talvodesk
