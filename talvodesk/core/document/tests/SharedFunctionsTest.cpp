#include "talvodesk/core/analysis/Drawing.h"
#include "talvodesk/core/analysis/ShotStatistics.h"
#include "talvodesk/core/document/Dispersion.h"

#include "platform/gfx/tests/support/CallLog.h"

#include <gtest/gtest.h>

#include <set>
#include <vector>

using namespace talvodesk;

namespace {

TEST(DispersionTest, SixtyShotsGetSixtyOffsetsSearchingOutwards)
{
    struct Case {
        int drawn;
        std::vector<int> firstIndexes;
    };
    // Index i of the table has the offset below; the draws map onto indexes as rand() x 59 / 32767 does.
    const std::pair<int, int> table[] = {{0, 50}, {0, -50}, {-29, 30}, {29, 20}};
    for (const int drawn : {0, 16384, 32767}) {
        SCOPED_TRACE(drawn);
        Dispersion dispersion([drawn] { return drawn; });
        std::vector<std::pair<int, int>> offsets;
        for (int shot = 0; shot < 61; ++shot) {
            float dx = 0;
            float dy = 0;
            dispersion.GetDispersionOffset(dx, dy, 100.0F);
            offsets.emplace_back(static_cast<int>(dx), static_cast<int>(dy));
        }
        EXPECT_EQ(60u, std::set(offsets.begin(), offsets.begin() + 60).size());
        EXPECT_EQ(offsets[0], offsets[60]); // All used: the pattern starts again.
        if (drawn == 0) {
            EXPECT_EQ(table[1], offsets[1]);
            EXPECT_EQ(table[3], offsets[3]);
        }
        if (drawn == 16384) {
            // Index 29 (4, 19), then 28 (17, 6) below before 30 (18, -8) above.
            EXPECT_EQ(std::make_pair(4, 19), offsets[0]);
            EXPECT_EQ(std::make_pair(17, 6), offsets[1]);
            EXPECT_EQ(std::make_pair(18, -8), offsets[2]);
        }
        if (drawn == 32767) {
            EXPECT_EQ(std::make_pair(0, 0), offsets[0]);
            EXPECT_EQ(std::make_pair(2, 2), offsets[1]);
        }
    }
    Dispersion scaled([] { return 0; });
    float dx = 0;
    float dy = 0;
    scaled.GetDispersionOffset(dx, dy, 7.5F);
    EXPECT_FLOAT_EQ(3.75F, dy);

    Dispersion timed;
    for (int draw = 0; draw < 10000; ++draw) {
        const int index = timed.RandomIndex(60);
        ASSERT_GE(index, 0);
        ASSERT_LE(index, 59);
    }
}

TEST(ShotStatisticsTest, ShotRhythmAndIntervalsFollowTheirFormulas)
{
    const double second = 1.0 / 86400;
    using Shots = std::vector<ShotTime>;
    struct Case {
        const char* what;
        std::vector<Shots> aimings;
        bool includeHidden;
        int expected;
    };
    const Case cases[] = {
        {"even", {{{100, false}, {100 + 10 * second, false}, {100 + 20 * second, false}}}, false, 100},
        // Intervals 5 and 15 s around a mean of 10: deviation 10 of a span of 20.
        {"uneven", {{{100, false}, {100 + 5 * second, false}, {100 + 20 * second, false}}}, false, 50},
        {"hidden left out", {{{100, false}, {100 + 5 * second, true}, {100 + 20 * second, false}}}, false, 100},
        {"hidden counted", {{{100, false}, {100 + 5 * second, true}, {100 + 20 * second, false}}}, true, 50},
        {"average of aimings",
         {{{100, false}, {100 + 10 * second, false}, {100 + 20 * second, false}},
          {{200, false}, {200 + 5 * second, false}, {200 + 20 * second, false}},
          {{300, false}}},
         false,
         75},
        {"no time span", {{{100, false}, {100, false}}, {{100, false}, {100 + 5 * second, false}}}, false, 100},
        {"only equal times", {{{100, false}, {100, false}, {100, false}}}, false, 0},
        {"zero time not first", {{{0, false}, {100, false}, {100 + 10 * second, false}}}, false, 50},
        {"none", {}, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, ComputeSeriesShotIntervals(c.aimings, c.includeHidden));
    }

    struct CollectionCase {
        const char* what;
        Shots shots;
        int expected;
    };
    const CollectionCase collections[] = {
        {"one shot", {{100, false}}, 0},
        {"one not missed", {{100, false}, {101, true}}, 0},
        {"even", {{100, false}, {101, false}, {102, false}}, 100},
        // Intervals 0.5 and 1.5 around 1: deviation 1 of 2 gives 50; 1 of 3 (with a missed shot between) 66.6.
        {"uneven", {{100, false}, {100.5, false}, {102, false}}, 50},
        {"missed left out", {{100, false}, {100.2, true}, {101, false}, {103, false}}, 66},
        {"same first and last gives the raw sum", {{100, false}, {101, false}, {100, false}}, 2},
        {"worse than random", {{100, false}, {100.01, false}, {100.02, false}, {130, false}}, 0},
    };
    for (const CollectionCase& c : collections) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.expected, ComputeCollectionValueStatistics(c.shots));
    }
}

TEST(ShotStatisticsTest, BearingKeepsItsDesignedArithmetic)
{
    struct Case {
        double x;
        double y;
        int degrees;
    };
    const Case cases[] = {
        {0, 1, 0},    {1, 1, 44},    {1, 0, 44}, {-1, 0, 315}, {-1, 1, 315}, {0, -1, 180},
        {1, -1, 136}, {-1, -1, 225}, {0, 0, 0},  {1, 1000, 0}, {3, -1, 109}, {-5, 1, 281},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.x) + "," + std::to_string(c.y));
        EXPECT_EQ(c.degrees, BearingDegrees(c.x, c.y));
    }
}

TEST(DrawingTest, FiveTargetsPictureDrawsTheFrameAndOneCircle)
{
    struct Case {
        long hit;
        long position;
        std::vector<std::string> calls;
    };
    const std::string frame = "rectangle(1930,1925,13070,3075) pen 0/0/EEEEEE brush hollow";
    const Case cases[] = {
        {1, 1, {frame, "ellipse(1925,1925,3075,3075) pen 0/0/000000 brush FFFFFF"}},
        {2, 5, {frame, "ellipse(11925,1925,13075,3075) pen 0/0/FFFFFF brush 000000"}},
        {3, 3, {frame, "ellipse(6925,1925,8075,3075) pen 0/0/000000 brush FFFFFF"}},
        {1, 0, {frame}},
        {6, 6, {frame}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.position);
        const platform::gfx::Picture picture = CreateFiveTargetsPicture(c.hit, c.position);
        EXPECT_EQ((platform::gfx::Rect{0, 0, 15000, 5000}), picture.bounds());
        platform::gfx::testing::CallLog log;
        picture.play(log, picture.bounds());
        EXPECT_EQ(c.calls, log.calls);
    }
}

} // namespace
