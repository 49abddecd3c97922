#include "talvoboard/TargetWindow.h"

#include "talvoboard/tests/support/FakeMouseHost.h"
#include "talvoboard/tests/support/Targets.h"
#include "talvoboard/tests/support/TestEvent.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvoboard/_ITargetEvents.h"
#include "platform/com/ComObject.h"
#include "platform/com/ConnectionPoint.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

namespace talvoboard {
namespace {

using platform::com::ComObject;
using platform::com::ComPtr;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::FakeHost;

/// Records the control's events as "Name x y", floats as the sinks get them.
class RecordingSink final : public ComObject<IDispatch> {
public:
    HRESULT Invoke(DISPID dispId, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override
    {
        std::string text = dispId == DISPID_TARGETEVENTS_ZOOMCHANGED             ? "ZoomChanged"
                           : dispId == DISPID_TARGETEVENTS_STARTREPLAY           ? "StartReplay"
                           : dispId == DISPID_TARGETEVENTS_REPLAYPOSITIONCHANGED ? "ReplayPositionChanged"
                           : dispId == DISPID_TARGETEVENTS_ENDREPLAY             ? "EndReplay"
                           : dispId == DISPID_TARGETEVENTS_PAUSEREPLAY           ? "PauseReplay"
                                                                                 : FakeHost::nameOf(dispId);
        // DISPPARAMS hold the arguments last first.
        for (UINT index = params->cArgs; index-- > 0;) {
            const VARIANT& argument = params->rgvarg[index];
            if (argument.vt == VT_R4) {
                char number[32];
                std::snprintf(number, sizeof number, " %g", argument.fltVal);
                text += number;
            } else {
                text += argument.vt == VT_DISPATCH ? " object" : " ?";
            }
        }
        events.push_back(text);
        return S_OK;
    }

    std::vector<std::string> events;
};

class TargetInteractionTest : public ::testing::Test {
protected:
    TargetInteractionTest()
    {
        QWidget* window = nullptr;
        EXPECT_HR(S_OK, target.queryInterface<ITargetWindow>()->GetWidget(&window));
        widget = window;
        widget->resize(200, 200);
        EXPECT_HR(S_OK, target->put_Event(testsupport::makeEvent().get()));
        EXPECT_HR(S_OK, target->Add(breach.aiming.get()));
        ComPtr<IConnectionPoint> point;
        EXPECT_HR(S_OK, target.queryInterface<IConnectionPointContainer>()->FindConnectionPoint(DIID__ITargetEvents,
                                                                                                point.put()));
        DWORD cookie = 0;
        EXPECT_HR(S_OK, point->Advise(sink.get(), &cookie));
    }

    void send(QEvent::Type type, Qt::MouseButton button, QPoint pixel)
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(pixel), QPointF(widget->mapToGlobal(pixel)), button, held, Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &event);
    }

    ComPtr<IShot> selectedShot()
    {
        ComPtr<IShot> shot;
        EXPECT_HR(S_OK, target->get_SelectedShot(shot.put()));
        return shot;
    }

    // On a 200-pixel window the 170 mm face shows 85 units a pixel from -8500; the breach at (10, 5) mm is under
    // pixel (111, 105).
    ComPtr<ITarget> target = testsupport::makeTarget();
    QWidget* widget = nullptr;
    testsupport::Breach breach = testsupport::makeBreach(1000, 500, "A");
    ComPtr<RecordingSink> sink = platform::com::makeComObject<RecordingSink>();
};

TEST_F(TargetInteractionTest, ClickOnABreachSelectsItAndReportsMillimetres)
{
    send(QEvent::MouseButtonPress, Qt::LeftButton, {111, 105});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {111, 105});
    EXPECT_THAT(sink->events, ElementsAre("LeftClick 9.35 4.25", "SelectionChanged"));
    EXPECT_EQ(breach.shot, selectedShot());

    sink->events.clear();
    send(QEvent::MouseButtonPress, Qt::RightButton, {10, 10});
    send(QEvent::MouseButtonRelease, Qt::RightButton, {10, 10});
    EXPECT_THAT(sink->events, ElementsAre("RightClick -76.5 -76.5", "SelectionChanged"));
    EXPECT_EQ(nullptr, selectedShot());
}

TEST_F(TargetInteractionTest, DraggingABreachRaisesTheDragEventsWithTheShot)
{
    ASSERT_HR(S_OK, target->put_Dragable(VARIANT_TRUE));
    send(QEvent::MouseButtonPress, Qt::LeftButton, {111, 105});
    send(QEvent::MouseMove, Qt::LeftButton, {131, 105});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {131, 105});
    EXPECT_THAT(sink->events, ElementsAre("LeftClick 9.35 4.25", "SelectionChanged", "StartDrag object object 10 5",
                                          "Drag object object 27 5", "EndDrag object object 27 5"));

    // Turning dragging off during a drag aborts it.
    sink->events.clear();
    send(QEvent::MouseButtonPress, Qt::LeftButton, {131, 105});
    ASSERT_HR(S_OK, target->put_Dragable(VARIANT_FALSE));
    EXPECT_THAT(sink->events,
                ElementsAre("LeftClick 26.35 4.25", "StartDrag object object 27 5", "DragAborted object object"));
}

TEST_F(TargetInteractionTest, ClearAbortsADragAndEndsAReplayWithoutEndReplay)
{
    ASSERT_HR(S_OK, target->put_Dragable(VARIANT_TRUE));
    send(QEvent::MouseButtonPress, Qt::LeftButton, {111, 105});
    ASSERT_HR(S_OK, target->put_ReplayAiming(breach.aiming.get()));
    ASSERT_HR(S_OK, target->put_ReplayPaused(VARIANT_TRUE));
    sink->events.clear();

    ASSERT_HR(S_OK, target->Clear());
    EXPECT_THAT(sink->events, ElementsAre("DragAborted object object"));
    ComPtr<IAiming> replayed;
    ASSERT_HR(S_OK, target->get_ReplayAiming(replayed.put()));
    EXPECT_EQ(nullptr, replayed);
    VARIANT_BOOL paused = VARIANT_TRUE;
    ASSERT_HR(S_OK, target->get_ReplayPaused(&paused));
    EXPECT_EQ(VARIANT_FALSE, paused);
}

TEST_F(TargetInteractionTest, ReplayMembersDriveTheReplay)
{
    ASSERT_HR(S_OK, target->put_ReplayAiming(breach.aiming.get()));
    EXPECT_THAT(sink->events, ElementsAre("StartReplay", "ReplayPositionChanged"));
    ComPtr<IShot> shot;
    ASSERT_HR(S_OK, target->get_ReplayShot(shot.put()));
    EXPECT_EQ(breach.shot, shot);
    float seconds = 0.0f;
    ASSERT_HR(S_OK, target->get_ReplayPosition(&seconds));
    EXPECT_FLOAT_EQ(-49.0f / 200.0f, seconds);
    ASSERT_HR(S_OK, target->put_ReplayPosition(-0.1f));
    ASSERT_HR(S_OK, target->get_ReplayPosition(&seconds));
    EXPECT_FLOAT_EQ(-0.1f, seconds);
    EXPECT_HR(E_INVALIDARG, target->put_ReplaySpeed(301));
    EXPECT_HR(S_OK, target->put_ReplaySpeed(300));
    EXPECT_HR(E_INVALIDARG, target->put_ReplayShot(nullptr));

    sink->events.clear();
    ASSERT_HR(S_OK, target->put_ReplayPaused(VARIANT_TRUE));
    ASSERT_HR(S_OK, target->put_ReplayPaused(VARIANT_FALSE));
    ASSERT_HR(S_OK, target->put_ReplayAiming(nullptr));
    EXPECT_THAT(sink->events, ElementsAre("PauseReplay", "StartReplay"));
    ASSERT_HR(S_OK, target->get_ReplayShot(shot.put()));
    EXPECT_EQ(nullptr, shot);
}

TEST_F(TargetInteractionTest, ShotCorrectionNeedsDragableAndAnAddedShot)
{
    EXPECT_HR(S_OK, target->SetShotCorrection(breach.shot.get(), 1.0f, 1.0f));
    ASSERT_HR(S_OK, target->put_Dragable(VARIANT_TRUE));
    EXPECT_HR(E_INVALIDARG, target->SetShotCorrection(nullptr, 1.0f, 1.0f));
    const testsupport::Breach other = testsupport::makeBreach(-400, -400, "B");
    EXPECT_HR(S_OK, target->SetShotCorrection(other.shot.get(), 1.0f, 1.0f));

    // Corrected by (2, -1) mm, the breach is grabbed at (12, 4) mm, near pixel (114, 105).
    ASSERT_HR(S_OK, target->SetShotCorrection(breach.shot.get(), 2.0f, -1.0f));
    send(QEvent::MouseButtonPress, Qt::LeftButton, {114, 105});
    EXPECT_THAT(sink->events, ElementsAre("LeftClick 11.9 4.25", "SelectionChanged", "StartDrag object object 12 4"));
}

} // namespace
} // namespace talvoboard
