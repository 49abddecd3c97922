#include "talvodesk/core/calibration/CalibrationState.h"

#include "talvodesk/core/testing/FakeDevice.h"
#include "talvodesk/core/testing/FakeTalvoDevice.h"

#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/PictureObject.h"

#include <gtest/gtest.h>

#include <limits>

using namespace talvodesk;
using namespace talvodesk::testsupport;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

/// Records what the rules asked of the window, one letter each: D draw, T redraw timer, C close.
class RecordingWindow final : public CalibrationWindow {
public:
    void DrawTarget() override { calls += 'D'; }
    void StartRedrawTimer() override { calls += 'T'; }
    void ShowSignalLevel(long) override {}
    void ShowTriggerLevel(long level) override { triggerLevel = level; }
    void PostClose() override { calls += 'C'; }

    std::string calls;
    long triggerLevel = 0;
};

class CalibrationStateTest : public testing::Test {
protected:
    FakeDevice events;
    ComPtr<FakeTalvoDevice> fake = platform::com::makeComObject<FakeTalvoDevice>(events.connectionPoint());
    RecordingWindow window;
};

TEST_F(CalibrationStateTest, RedrawsOfMovingAimAreThrottledToOnePendingTimer)
{
    CalibrationState state(fake.get(), {});
    state.SetWindow(&window);
    ASSERT_TRUE(state.Subscribe());
    ComPtr<IAiming> aiming = events.newAiming();
    events.startAiming(aiming.get());
    events.coordinates(aiming.get(), 1);
    events.coordinates(aiming.get(), 1);
    events.coordinates(aiming.get(), 1);
    EXPECT_EQ("T", window.calls);
    state.OnRedrawTimer();
    events.coordinates(aiming.get(), 0); // the same point: nothing to draw
    events.coordinates(aiming.get(), 1);
    EXPECT_EQ("TDT", window.calls);
    state.Finish();
    events.coordinates(aiming.get(), 1);
    EXPECT_EQ("TDT", window.calls);
}

TEST_F(CalibrationStateTest, ImageSensorPollFollowsThePointAndClosesOnceOnAShot)
{
    fake->modelVersion = 600;
    fake->values[8] = Variant::fromInt32(512);
    CalibrationState state(fake.get(), {});
    state.SetWindow(&window);
    const float kNaN = std::numeric_limits<float>::quiet_NaN();

    fake->data = {kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN, kNaN};
    state.OnPollTimer();
    EXPECT_EQ("", window.calls);
    EXPECT_EQ(512, window.triggerLevel);
    fake->data = {1, 0, 0, 3, 4, 0, 0, 0, 0};
    state.OnPollTimer();
    state.OnPollTimer();
    EXPECT_EQ("D", window.calls);
    EXPECT_TRUE(state.Picture().aimVisible);
    EXPECT_EQ(53, state.Picture().direction);
    fake->data[0] = 0;
    state.OnPollTimer();
    EXPECT_EQ("DD", window.calls);

    const auto picture = platform::gfx::PictureObject::create(
        platform::gfx::Picture::fromBitmap(platform::gfx::Bitmap{1, 1, std::vector<COLORREF>(1, 0x123456)}));
    fake->values[4] = Variant::fromDispatch(static_cast<IPictureDisp*>(picture.get()));
    state.OnPollTimer();
    EXPECT_EQ(nullptr, state.Picture().preview); // not asked for
    state.SetPreviewMode(true);
    state.OnPollTimer();
    EXPECT_NE(nullptr, state.Picture().preview);
    window.calls.clear();

    fake->data = {1, 0, 1, 6, 8, 0, 0, 0, 0};
    state.OnPollTimer();
    state.OnPollTimer();
    EXPECT_EQ("DDC", window.calls); // the new picture, then the shot
    EXPECT_TRUE(state.Picture().shotShown);
    EXPECT_FLOAT_EQ(8.0F, state.Picture().shotY);
}

} // namespace
