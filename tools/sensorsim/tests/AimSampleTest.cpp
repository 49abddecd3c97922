#include "tools/sensorsim/AimSample.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>

namespace sensorsim {
namespace {

struct ShotPoint {
    std::size_t index;
    int x;
    int y;
};

/// Where the aim was at each shot's jolt, found in the script as the device finds the shot.
std::vector<ShotPoint> shotsOf(const std::vector<AimSample>& script)
{
    std::vector<ShotPoint> shots;
    for (std::size_t i = 0; i < script.size(); ++i) {
        if (script[i].piezo > 0 && (i == 0 || script[i - 1].piezo == 0)) {
            shots.push_back({i, script[i].x, script[i].y});
        }
    }
    return shots;
}

TEST(AimSampleTest, TheSameSeedGivesTheSamePracticeAndAnotherSeedAnother)
{
    for (const SensorKind kind : {SensorKind::Pavane, SensorKind::Biathlon}) {
        const auto first = practiceScript(kind, {200, 20, 7});
        EXPECT_TRUE(first == practiceScript(kind, {200, 20, 7}));
        EXPECT_FALSE(first == practiceScript(kind, {200, 20, 8}));
    }
}

TEST(AimSampleTest, TwentyShotsOfAPracticeVaryInAimAndTimeAndMakeAGroup)
{
    const auto script = practiceScript(SensorKind::Pavane, {200, 20, 3});
    const auto shots = shotsOf(script);
    ASSERT_EQ(20U, shots.size());
    std::set<std::pair<int, int>> points;
    std::set<std::size_t> intervals;
    double groupSize = 0;
    for (std::size_t k = 0; k < shots.size(); ++k) {
        points.insert({shots[k].x, shots[k].y});
        if (k > 0) {
            intervals.insert(shots[k].index - shots[k - 1].index);
        }
        for (std::size_t j = k + 1; j < shots.size(); ++j) {
            groupSize = std::max(groupSize, std::hypot(shots[k].x - shots[j].x, shots[k].y - shots[j].y));
        }
    }
    EXPECT_EQ(20U, points.size()) << "every hold ends somewhere else";
    EXPECT_GT(intervals.size(), 10U) << "a shooter's rhythm, not a metronome's";
    EXPECT_GT(groupSize, 0.0);
    // A shot every 5 to 14 s.
    for (const std::size_t interval : intervals) {
        EXPECT_GE(interval, 4U * 200U);
        EXPECT_LE(interval, 14U * 200U);
    }
}

TEST(AimSampleTest, SomeShotsGoWideOrMissAndTheAimStaysInTheSensorsRange)
{
    // Pavane units: 0.05 mm of a 10 m face; a wide shot lands some 8 mm out, a miss off the face.
    const auto holds = practiceHolds(SensorKind::Pavane, {200, 400, 11});
    const auto distance = [](const HoldParameters& hold) { return std::hypot(hold.aimX, hold.aimY); };
    const auto misses = std::count_if(holds.begin(), holds.end(), [&](const auto& h) { return distance(h) > 300; });
    const auto wide = std::count_if(holds.begin(), holds.end(),
                                    [&](const auto& h) { return distance(h) > 120 && distance(h) <= 300; });
    EXPECT_GT(misses, 400 / 20 / 3);
    EXPECT_LT(misses, 400 / 20 * 3);
    EXPECT_GT(wide, 400 / 8 / 4);
    for (const AimSample& sample : practiceScript(SensorKind::Pavane, {200, 60, 11})) {
        ASSERT_GE(sample.x, -512);
        ASSERT_LE(sample.x, 511);
        ASSERT_GE(sample.y, -512);
        ASSERT_LE(sample.y, 511);
    }
}

} // namespace
} // namespace sensorsim
