#include "talvoboard/TargetReplayBinding.h"

#include "talvoboard/tests/support/FakeMouseHost.h"
#include "talvoboard/tests/support/Targets.h"

#include "interfaces/talvoboard/DispIds.h"

#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

namespace talvoboard {
namespace {

using ::testing::ElementsAre;

class TargetReplayBindingTest : public ::testing::Test {
protected:
    platform::com::ComPtr<ITarget> target = testsupport::makeTarget();
    TargetState state;
    QPointer<TargetWidget> widget;
    std::vector<DISPID> fired;
    TargetReplayBinding binding{{*target, state, widget, [this](DISPID dispId, std::vector<platform::com::Variant>) {
                                     fired.push_back(dispId);
                                 }}};
    testsupport::Breach breach = testsupport::makeBreach(1000, 500, "A");
};

TEST_F(TargetReplayBindingTest, ReplayEventsBecomeTheControlsEvents)
{
    ASSERT_HR(S_OK, binding.replay().setAiming(breach.aiming.get()));
    binding.replay().setPaused(true);
    binding.replay().setPaused(false);
    ASSERT_HR(S_OK, binding.replay().setPositionSeconds(0.0f));
    binding.replay().step();
    EXPECT_THAT(fired, ElementsAre(DISPID_TARGETEVENTS_STARTREPLAY, DISPID_TARGETEVENTS_REPLAYPOSITIONCHANGED,
                                   DISPID_TARGETEVENTS_PAUSEREPLAY, DISPID_TARGETEVENTS_STARTREPLAY,
                                   DISPID_TARGETEVENTS_ENDREPLAY));
}

TEST_F(TargetReplayBindingTest, DestroyingTheWindowStopsTheTimer)
{
    auto window = std::make_unique<QWidget>();
    binding.attach(*window);
    ASSERT_HR(S_OK, binding.replay().setAiming(breach.aiming.get()));
    ASSERT_TRUE(binding.replay().isTimerRunning());
    window.reset();
    EXPECT_FALSE(binding.replay().isTimerRunning());
    EXPECT_EQ(breach.aiming.get(), binding.replay().aiming());
}

} // namespace
} // namespace talvoboard
