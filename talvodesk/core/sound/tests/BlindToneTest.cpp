#include "talvodesk/core/sound/BlindTone.h"

#include "talvodesk/core/options/Options.h"
#include "talvodesk/core/testing/RecordingTone.h"

#include "talvodata/tests/support/Events.h"

#include "interfaces/talvodata/ITargetParams.h"

#include <gtest/gtest.h>

namespace talvodesk {
namespace {

using platform::com::ComPtr;
using testsupport::RecordingTone;

TEST(BlindToneTest, BiathlonScoresTheFirstTargetThatHoldsThePoint)
{
    struct Case {
        float x, y;
        long subTarget;
        int score;
    };
    const Case cases[] = {
        {0, 0, 1, 10},    {-500, 80, 1, 10}, {250, 80.5F, 1, 0}, // Standing: 10 within 80 mm; 9 lies inside it.
        {500, 57, 1, 10}, {-250, 20, 2, 10}, {-250, 21, 2, 9},   // Prone: 10 within 20 mm, 9 to 22.5 mm.
        {0, 22.5F, 2, 9}, {0, 23, 2, 0},     {125, 0, 1, 0},     // Between targets: nothing.
        {750, 0, 1, 0},   {-580, 0, 1, 10},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.x << ", " << c.y << " sub-target " << c.subTarget);
        EXPECT_EQ(c.score, BiathlonToneScore(c.x, c.y, c.subTarget));
    }
}

TEST(BlindToneTest, PitchFollowsTheScoreAndPlaceTheSide)
{
    auto event = talvodata::testsupport::shippedEvent("AR10");
    ASSERT_TRUE(event);
    ComPtr<ITargetParams> face;
    float formWidth = 0;
    ASSERT_EQ(S_OK, event->get_Target(1, face.put()));
    ASSERT_EQ(S_OK, face->get_FormWidth(&formWidth));

    COptions options;
    options.blindGen = 1;
    RecordingTone tone;
    FeedBlindTone(options, &tone, event.get(), false, 1, 0.0F, 0.0F);
    EXPECT_EQ(2000.0F, tone.frequency); // "BlindGen10".
    EXPECT_EQ(0.0F, tone.position);
    EXPECT_EQ(1, tone.starts);

    float score = 0;
    ASSERT_EQ(S_OK, event->GetPointScore(12.0F, -3.0F, 1, &score));
    FeedBlindTone(options, &tone, event.get(), false, 1, 12.0F, -3.0F);
    EXPECT_EQ(static_cast<float>(options.blindGenFrequency[static_cast<std::size_t>(score)]), tone.frequency);
    EXPECT_FLOAT_EQ(12.0F * 20.0F / formWidth * 10.0F / 15.0F, tone.position);
    EXPECT_EQ(1, tone.starts); // Already playing.

    // The biathlon rule ignores the event's rings.
    FeedBlindTone(options, &tone, event.get(), true, 2, 250.0F, 21.0F);
    EXPECT_EQ(1800.0F, tone.frequency);

    for (auto off : {&COptions::soundEnabled, &COptions::blindGen}) {
        COptions silent = options;
        silent.*off = 0;
        RecordingTone quiet;
        FeedBlindTone(silent, &quiet, event.get(), false, 1, 0.0F, 0.0F);
        EXPECT_EQ(0, quiet.starts);
        EXPECT_EQ(-1.0F, quiet.frequency);
    }
}

} // namespace
} // namespace talvodesk
