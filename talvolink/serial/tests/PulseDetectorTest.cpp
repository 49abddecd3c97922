#include "talvolink/serial/PulseDetector.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using talvolink::PulseDetector;

namespace {

constexpr double kSecondsPerDay = 86400.0;

struct Recorded {
    std::vector<LONG> rates;
    std::vector<std::pair<DATE, DATE>> beats;
};

// A pulse wave of `beatsPerMinute` as the sensor gives it (around 512), `seconds` long, from sample `start` on.
void feed(PulseDetector& detector, Recorded& recorded, double beatsPerMinute, LONG sampleRate, double seconds,
          int& sample)
{
    PulseDetector::Events events;
    events.heartBeat = [&](DATE trough, DATE beat) { recorded.beats.emplace_back(trough, beat); };
    events.pulseChanged = [&](LONG rate) { recorded.rates.push_back(rate); };
    const int end = sample + static_cast<int>(seconds * 200);
    for (; sample < end; ++sample) {
        const double t = sample / 200.0;
        const int value = 512 + static_cast<int>(std::lround(300 * std::sin(2 * M_PI * beatsPerMinute / 60 * t)));
        detector.Step(value, sampleRate, 40000.0 + t / kSecondsPerDay, events);
    }
}

TEST(PulseDetectorTest, ReportsTheRateOnceTwoBeatsAgree)
{
    PulseDetector detector;
    Recorded recorded;
    int sample = 0;
    feed(detector, recorded, 72, 200, 12, sample);
    ASSERT_FALSE(recorded.rates.empty());
    EXPECT_NEAR(72, recorded.rates.front(), 1);
    // The beats come one period apart, each after its trough.
    ASSERT_GE(recorded.beats.size(), 10u);
    for (std::size_t i = 1; i < recorded.beats.size(); ++i) {
        EXPECT_LT(recorded.beats[i].first, recorded.beats[i].second);
        EXPECT_NEAR(60.0 / 72, (recorded.beats[i].second - recorded.beats[i - 1].second) * kSecondsPerDay, 0.02);
    }
    // A steady pulse is not announced again.
    for (std::size_t i = 1; i < recorded.rates.size(); ++i) {
        EXPECT_NE(recorded.rates[i], recorded.rates[i - 1]);
    }
}

TEST(PulseDetectorTest, ARateAbove256IsReportedAsZero)
{
    PulseDetector detector;
    Recorded recorded;
    int sample = 0;
    feed(detector, recorded, 72, 200, 10, sample);
    ASSERT_FALSE(recorded.rates.empty());
    // The same wave taken as 1000 samples a second is 360 beats a minute.
    feed(detector, recorded, 72, 1000, 10, sample);
    EXPECT_EQ(0, recorded.rates.back());
}

TEST(PulseDetectorTest, AFlatSignalHasNoBeat)
{
    PulseDetector detector;
    Recorded recorded;
    int sample = 0;
    feed(detector, recorded, 0, 200, 5, sample);
    EXPECT_TRUE(recorded.beats.empty());
    EXPECT_TRUE(recorded.rates.empty());
}

} // namespace
