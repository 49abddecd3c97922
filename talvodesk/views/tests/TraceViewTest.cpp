#include "talvodesk/views/TraceView.h"

#include "talvodesk/core/document/TalvoData.h"
#include "talvodesk/core/options/Options.h"
#include "talvodesk/views/PulseWindow.h"
#include "talvodesk/views/ReplayControlWindow.h"

#include "talvodata/tests/support/AimingBuilder.h"
#include "talvodata/tests/support/Events.h"

#include "platform/com/Bstr.h"
#include "platform/time/ManualClock.h"

#include <gtest/gtest.h>

using namespace talvodesk;
using platform::com::Bstr;
using platform::com::ComPtr;

namespace {

class TraceViewTest : public testing::Test {
protected:
    TraceViewTest() : view({data, options, clock}, nullptr)
    {
        data.AddView(&view.logic());
        EXPECT_TRUE(data.NewPractice(talvodata::testsupport::shippedEvent("AR10").get(), Bstr("Ann").get(), -1,
                                     Bstr().get(), 12));
        view.resize(400, 300);
        view.show();
    }

    /// The document's first aiming, with one shot resting at (x, y) hundredths of a millimetre, made current.
    ComPtr<IShot> addShot(LONG x, LONG y)
    {
        ComPtr<IAiming> aiming = talvodata::testsupport::AimingBuilder("AR10").at(x, y).samples(300).shot().build();
        ComPtr<IShot> shot;
        EXPECT_EQ(S_OK, aiming->get_Shot(1, shot.put()));
        EXPECT_TRUE(data.AddShot(shot.get(), aiming.get()));
        (void)data.SetCurrentShot(shot.get());
        return shot;
    }

    platform::time::ManualClock clock{46000.5};
    COptions options;
    CTalvoData data;
    CTraceView view;
};

TEST_F(TraceViewTest, SidePanelTakes32PixelsOnlyWhilePulseOrTriggerShows)
{
    data.UpdateAllViews(nullptr, HintReset);
    ASSERT_NE(nullptr, view.target());
    EXPECT_FALSE(view.pulseWindow()->isVisible());
    EXPECT_EQ(400, view.targetWidget()->width());

    ASSERT_TRUE(data.AddPulseSample(46000.5, 72)); // A practice with pulse readings shows the panel.
    data.UpdateAllViews(nullptr, HintReset);
    ASSERT_TRUE(view.pulseWindow()->isVisible());
    const QRect panel = view.pulseWindow()->geometry();
    EXPECT_EQ(32, panel.width());
    EXPECT_EQ(400, panel.right() + 1); // At the right edge, beside the target.
    EXPECT_LE(view.targetWidget()->geometry().right(), panel.left());

    view.resize(20, 300); // No room: the target alone.
    EXPECT_FALSE(view.pulseWindow()->isVisible());
}

TEST_F(TraceViewTest, ReplayRunsOnTheControlAndEndsBackInTheDocument)
{
    data.UpdateAllViews(nullptr, HintReset);
    ComPtr<IShot> shot = addShot(100, -50);
    ASSERT_TRUE(data.StartReplay());
    EXPECT_TRUE(view.replayControl()->isVisible());
    ComPtr<IShot> replayed;
    ASSERT_EQ(S_OK, view.target()->get_ReplayShot(replayed.put()));
    EXPECT_EQ(shot.get(), replayed.get());
    EXPECT_EQ(2, data.GetReplayState());

    data.StopReplay();
    EXPECT_FALSE(view.replayControl()->isVisible());
    EXPECT_EQ(0, data.GetReplayState());
}

} // namespace
