#include "talvodesk/core/frame/SmallWindows.h"

#include <gtest/gtest.h>

#include <vector>

using namespace talvodesk;

namespace {

TEST(SmallWindowsTest, SensingBarColours)
{
    struct Case {
        int position;
        std::vector<SensingBand> bands;
    };
    // 512 pixels high: one pixel per step, low mark at y 412 and high mark at y 212.
    const std::vector<Case> cases = {
        {0, {}},
        {60, {{452, 512, kSensingRed}}},
        {99, {{413, 512, kSensingRed}}},
        {100, {{412, 512, kSensingGreen}}},
        {200, {{312, 512, kSensingGreen}}},
        {300, {{212, 512, kSensingGreen}}},
        {400, {{212, 512, kSensingGreen}, {112, 212, kSensingRed}}},
        {512, {{212, 512, kSensingGreen}, {0, 212, kSensingRed}}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SensingBarBands(512, c.position), c.bands) << c.position;
    }
    // Integer shifts on a short bar: 100 pixels, bar top 100 - (100 * 60 >> 9) = 89 lies below the low mark 81.
    EXPECT_EQ(SensingBarBands(100, 60), (std::vector<SensingBand>{{89, 100, kSensingRed}}));
}

TEST(SmallWindowsTest, TraceKeys)
{
    using Kind = TraceKeyAction::Kind;
    EXPECT_EQ(TraceKey(0x20, 0), (TraceKeyAction{Kind::StartReplay}));
    EXPECT_EQ(TraceKey(0x20, 1), (TraceKeyAction{Kind::ResumeReplay}));
    EXPECT_EQ(TraceKey(0x20, 2), (TraceKeyAction{Kind::PauseReplay}));
    EXPECT_EQ(TraceKey(0x30, 0), (TraceKeyAction{Kind::Zoom, 10}));
    EXPECT_EQ(TraceKey(0x37, 2), (TraceKeyAction{Kind::Zoom, 7}));
    EXPECT_EQ(TraceKey(0x60, 0), (TraceKeyAction{Kind::Zoom, 10}));
    EXPECT_EQ(TraceKey(0x69, 0), (TraceKeyAction{Kind::Zoom, 9}));
    EXPECT_FALSE(TraceKey(0x41, 0));
    EXPECT_FALSE(TraceKey(0x6A, 0));
}

} // namespace
