#include "talvoboard/TargetMouse.h"

#include "talvoboard/tests/support/FakeMouseHost.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace talvoboard {
namespace {

using platform::com::ComPtr;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::Size;
using ::testing::ElementsAre;
using ::testing::IsEmpty;
using testsupport::breachOf;
using testsupport::FakeHost;

class TargetMouseTest : public ::testing::Test {
protected:
    TargetMouseTest()
    {
        host.mouse = &mouse;
        // Breach A at (10, 5) mm is under pixel (100, 50), B at (-4, -4) mm under pixel (-40, -40).
        host.breaches = {testsupport::makeBreach(1000, 500, "A"), testsupport::makeBreach(-400, -400, "B")};
    }

    void send(MouseMessage message, LONG x, LONG y, bool ctrl = false)
    {
        EXPECT_TRUE(mouse.handle(message, {x, y}, ctrl));
    }
    void click(LONG x, LONG y, bool ctrl = false)
    {
        send(MouseMessage::LeftDown, x, y, ctrl);
        send(MouseMessage::LeftUp, x, y, ctrl);
    }
    IShot* shotA() const { return host.breaches[0].shot.get(); }
    IShot* shotB() const { return host.breaches[1].shot.get(); }

    FakeHost host;
    TargetMouse mouse{host};
};

TEST_F(TargetMouseTest, LeftClickSelectsOrClearsAndRaisesTheClickFirst)
{
    struct Case {
        const char* name;
        bool selectable;
        bool selectB;
        Point pixel;
        std::vector<std::string> events;
        std::string selectedAfter;
    };
    const std::vector<Case> cases = {
        {"empty space, nothing selected", true, false, {15, 25}, {"LeftClick 1.5 2.5"}, ""},
        {"empty space, B selected", true, true, {15, 25}, {"LeftClick 1.5 2.5", "SelectionChanged"}, ""},
        {"on A, nothing selected", true, false, {101, 50}, {"LeftClick 10.1 5", "SelectionChanged"}, "A"},
        {"on A, B selected", true, true, {101, 50}, {"LeftClick 10.1 5", "SelectionChanged"}, "A"},
        {"on B, B selected", true, true, {-40, -40}, {"LeftClick -4 -4"}, "B"},
        {"not selectable, on A, B selected", false, true, {101, 50}, {"LeftClick 10.1 5"}, "B"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.events.clear();
        host.selectable = c.selectable;
        host.selection = c.selectB ? ComPtr<IShot>(shotB()) : ComPtr<IShot>();
        click(c.pixel.x, c.pixel.y);
        EXPECT_EQ(c.events, host.events);
        EXPECT_EQ(c.selectedAfter, host.selection ? host.nameOfShot(host.selection.get()) : "");
        EXPECT_FALSE(host.capture);
    }
}

TEST_F(TargetMouseTest, ClickWithoutMovementLeavesTheZoom)
{
    send(MouseMessage::LeftDown, 15, 25);
    EXPECT_TRUE(mouse.isDrawingZoomRectangle());
    EXPECT_TRUE(host.capture);
    send(MouseMessage::LeftUp, 15, 25);
    EXPECT_FALSE(mouse.isDrawingZoomRectangle());
    EXPECT_THAT(host.zoomRectangles, ElementsAre(Rect{150, 250, 150, 250}));
    EXPECT_THAT(host.events, ElementsAre("LeftClick 1.5 2.5"));
    EXPECT_EQ(0, host.refreshes);
}

TEST_F(TargetMouseTest, ZoomRectangleIsAppliedNormalisedOnRelease)
{
    send(MouseMessage::LeftDown, 160, 190);
    send(MouseMessage::Move, 60, 40);
    EXPECT_EQ(MouseCursor::Cross, host.cursor);
    EXPECT_EQ((Point{600, 400}), mouse.current());
    EXPECT_EQ(1, host.refreshes);
    mouse.setZoomRectangleDrawn(true);
    send(MouseMessage::LeftUp, 20, 30);
    EXPECT_THAT(host.zoomRectangles, ElementsAre(Rect{200, 300, 1600, 1900}));
    EXPECT_THAT(host.events, ElementsAre("LeftClick 16 19", "ZoomChanged"));
    EXPECT_EQ(2, host.refreshes);
    EXPECT_FALSE(host.capture);

    // Too small to apply: only the drawn feedback is wiped.
    host.events.clear();
    send(MouseMessage::LeftDown, 10, 10);
    send(MouseMessage::Move, 12, 12);
    send(MouseMessage::LeftUp, 12, 12);
    EXPECT_THAT(host.events, ElementsAre("LeftClick 1 1"));
    EXPECT_EQ(4, host.refreshes);
    mouse.setZoomRectangleDrawn(false);
    send(MouseMessage::LeftDown, 10, 10);
    send(MouseMessage::LeftUp, 12, 12);
    EXPECT_EQ(4, host.refreshes);
}

TEST_F(TargetMouseTest, DraggingABreachReportsItsNewPlaceInMillimetres)
{
    host.dragable = true;
    // Grabbed 0.2 mm right of and 0.1 mm below the breach; the grab offset is kept.
    send(MouseMessage::LeftDown, 102, 51);
    EXPECT_TRUE(mouse.isDraggingShot());
    EXPECT_TRUE(host.capture);
    EXPECT_EQ(MouseCursor::Grab, host.cursor);
    send(MouseMessage::Move, 122, 41);
    send(MouseMessage::Move, -1, 41); // outside: no Drag
    EXPECT_EQ(MouseCursor::Grab, host.cursor);
    send(MouseMessage::Move, 200, 200);
    send(MouseMessage::LeftUp, 132, 21);
    EXPECT_THAT(host.events, ElementsAre("LeftClick 10.2 5.1", "SelectionChanged", "StartDrag A 10 5", "Drag A 12 4",
                                         "Drag A 19.8 19.9", "EndDrag A 13 2"));
    EXPECT_FALSE(mouse.isDraggingShot());
    EXPECT_FALSE(host.capture);
    EXPECT_EQ(shotA(), mouse.dragShot());
    EXPECT_EQ(host.breaches[0].aiming.get(), mouse.dragAiming());
}

TEST_F(TargetMouseTest, ReleasingOutsideTheWindowAbortsTheDrag)
{
    host.dragable = true;
    send(MouseMessage::LeftDown, 100, 50);
    send(MouseMessage::Move, 150, 50);
    send(MouseMessage::LeftUp, 201, 50);
    EXPECT_THAT(host.events,
                ElementsAre("LeftClick 10 5", "SelectionChanged", "StartDrag A 10 5", "Drag A 15 5", "DragAborted A"));
    EXPECT_FALSE(host.capture);
    EXPECT_EQ(shotA(), mouse.dragShot());
}

TEST_F(TargetMouseTest, OnlyTheDraggedShotCanBeDraggedAgainAndKeepsItsMove)
{
    host.dragable = true;
    click(100, 50);
    send(MouseMessage::LeftDown, 100, 50);
    send(MouseMessage::LeftUp, 120, 40);
    host.events.clear();

    // B is not found while A is held; A is found at its dragged place.
    send(MouseMessage::LeftDown, -40, -40);
    send(MouseMessage::LeftUp, -40, -40);
    EXPECT_THAT(host.events, ElementsAre("LeftClick -4 -4", "SelectionChanged"));
    host.events.clear();
    send(MouseMessage::LeftDown, 121, 40);
    send(MouseMessage::Move, 131, 40);
    send(MouseMessage::LeftUp, 131, 40);
    EXPECT_THAT(host.events, ElementsAre("LeftClick 12.1 4", "SelectionChanged", "StartDrag A 12 4", "Drag A 13 4",
                                         "EndDrag A 13 4"));
    EXPECT_EQ(breachOf(shotA()), mouse.dragAnchor());
    EXPECT_EQ((Point{1300, 400}), mouse.dragCurrent());

    host.events.clear();
    mouse.releaseDragShot();
    EXPECT_EQ(nullptr, mouse.dragShot());
    send(MouseMessage::LeftDown, -40, -40);
    send(MouseMessage::LeftUp, -40, -40);
    // B lies left of the window, so releasing on it is releasing outside.
    EXPECT_THAT(host.events, ElementsAre("LeftClick -4 -4", "SelectionChanged", "StartDrag B -4 -4", "DragAborted B"));
}

TEST_F(TargetMouseTest, WithoutDragableAPressOnABreachOnlySelects)
{
    send(MouseMessage::LeftDown, 100, 50);
    EXPECT_EQ(MouseCursor::OverBreach, host.cursor);
    EXPECT_FALSE(mouse.isDraggingShot());
    EXPECT_TRUE(mouse.isDrawingZoomRectangle());
    send(MouseMessage::LeftUp, 100, 50);
    EXPECT_THAT(host.events, ElementsAre("LeftClick 10 5", "SelectionChanged"));
    EXPECT_EQ(nullptr, mouse.dragShot());
}

TEST_F(TargetMouseTest, CursorShowsWhatIsUnderTheMouse)
{
    send(MouseMessage::Move, 100, 50);
    EXPECT_EQ(MouseCursor::OverBreach, host.cursor);
    send(MouseMessage::Move, 10, 10);
    EXPECT_EQ(MouseCursor::Arrow, host.cursor);
    host.selectable = false;
    send(MouseMessage::Move, 100, 50);
    EXPECT_EQ(MouseCursor::Arrow, host.cursor);
    EXPECT_THAT(host.events, IsEmpty());
}

TEST_F(TargetMouseTest, CtrlPressPansWithoutAClick)
{
    host.dragable = true;
    send(MouseMessage::LeftDown, 100, 50, /*ctrl=*/true);
    EXPECT_TRUE(mouse.isPanning());
    EXPECT_TRUE(host.capture);
    EXPECT_EQ(MouseCursor::Grab, host.cursor);
    send(MouseMessage::Move, 90, 40, /*ctrl=*/true);
    send(MouseMessage::Move, 80, 30, /*ctrl=*/false);
    ASSERT_EQ(2u, host.pans.size());
    EXPECT_EQ((Point{1000, 500}), host.pans[0].anchor);
    EXPECT_EQ((Point{900, 400}), host.pans[0].mouse);
    EXPECT_EQ((Point{90, 40}), host.pans[0].pixel);
    EXPECT_EQ((Point{1001, 501}), host.pans[1].anchor); // the anchor the first pan left
    send(MouseMessage::LeftUp, 80, 30);
    EXPECT_FALSE(mouse.isPanning());
    EXPECT_FALSE(host.capture);
    EXPECT_THAT(host.events, IsEmpty());
    EXPECT_EQ(nullptr, host.selection);
}

TEST_F(TargetMouseTest, DoubleClickSelectsAndZoomsToAPointBesideTheBreaches)
{
    struct Case {
        const char* name;
        bool selectable;
        bool selectA;
        Point pixel;
        std::vector<std::string> events;
        bool zooms;
    };
    const std::vector<Case> cases = {
        {"empty space", true, false, {30, 40}, {"DblClick 3 4", "SelectionChanged", "ZoomChanged"}, true},
        {"on A, unselected", true, false, {100, 50}, {"DblClick 10 5", "SelectionChanged"}, false},
        {"on A, selected", true, true, {100, 50}, {"DblClick 10 5"}, false},
        {"not selectable, on A", false, true, {100, 50}, {"DblClick 10 5", "ZoomChanged"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.events.clear();
        host.zoomPoints.clear();
        host.selectable = c.selectable;
        host.selection = c.selectA ? ComPtr<IShot>(shotA()) : ComPtr<IShot>();
        send(MouseMessage::LeftDoubleClick, c.pixel.x, c.pixel.y);
        EXPECT_EQ(c.events, host.events);
        const std::vector<Point> zoomed = {{c.pixel.x * 10, c.pixel.y * 10}};
        EXPECT_EQ(c.zooms ? zoomed : std::vector<Point>{}, host.zoomPoints);
        EXPECT_FALSE(host.capture);
    }
}

TEST_F(TargetMouseTest, RightPressAlwaysReportsASelectionUnlessOnTheSelectedShot)
{
    send(MouseMessage::RightDown, 30, 40);
    EXPECT_THAT(host.events, ElementsAre("RightClick 3 4", "SelectionChanged"));
    host.events.clear();
    send(MouseMessage::RightDown, 100, 50);
    EXPECT_THAT(host.events, ElementsAre("RightClick 10 5", "SelectionChanged"));
    EXPECT_EQ(shotA(), host.selection.get());
    host.events.clear();
    send(MouseMessage::RightDown, 100, 50);
    EXPECT_THAT(host.events, ElementsAre("RightClick 10 5"));
}

TEST_F(TargetMouseTest, SwallowedAndPassedOnMessagesRaiseNothing)
{
    host.selection = ComPtr<IShot>(shotA());
    send(MouseMessage::RightUp, 30, 40);
    send(MouseMessage::RightDoubleClick, 30, 40);
    EXPECT_FALSE(mouse.handle(MouseMessage::MiddleUp, {30, 40}, false));
    EXPECT_FALSE(mouse.handle(MouseMessage::MiddleDoubleClick, {30, 40}, false));
    EXPECT_THAT(host.events, IsEmpty());
    EXPECT_EQ(shotA(), host.selection.get());

    send(MouseMessage::MiddleDown, 30, 40);
    EXPECT_THAT(host.events, ElementsAre("MiddleClick 3 4"));
    EXPECT_EQ(shotA(), host.selection.get());
}

TEST_F(TargetMouseTest, WithoutATargetFaceTheMouseIsIgnored)
{
    host.target = false;
    host.dragable = true;
    for (MouseMessage message : {MouseMessage::LeftDown, MouseMessage::Move, MouseMessage::LeftUp,
                                 MouseMessage::LeftDoubleClick, MouseMessage::RightDown, MouseMessage::MiddleDown}) {
        send(message, 100, 50);
    }
    EXPECT_THAT(host.events, IsEmpty());
    EXPECT_FALSE(host.capture);
    EXPECT_EQ(nullptr, host.selection);
}

TEST_F(TargetMouseTest, AbortEndsTheActiveModeAsAborted)
{
    host.dragable = true;
    send(MouseMessage::LeftDown, 100, 50);
    host.events.clear();
    mouse.abortShotDrag();
    EXPECT_THAT(host.events, ElementsAre("DragAborted A"));
    EXPECT_FALSE(host.capture);
    EXPECT_EQ(shotA(), mouse.dragShot());
    mouse.abort();
    EXPECT_THAT(host.events, ElementsAre("DragAborted A"));

    // A zoom rectangle is left alone by abortShotDrag, and abort() does not apply it.
    host.events.clear();
    send(MouseMessage::LeftDown, 10, 10);
    send(MouseMessage::Move, 190, 190);
    mouse.abortShotDrag();
    EXPECT_TRUE(mouse.isDrawingZoomRectangle());
    mouse.abort();
    EXPECT_FALSE(mouse.isDrawingZoomRectangle());
    EXPECT_FALSE(host.capture);
    EXPECT_THAT(host.zoomRectangles, IsEmpty());
    EXPECT_THAT(host.events, ElementsAre("LeftClick 1 1", "SelectionChanged"));
}

TEST_F(TargetMouseTest, ShotCorrectionHoldsTheShotMovedByTheOffset)
{
    host.dragable = true;
    send(MouseMessage::LeftDown, -40, -40);
    host.events.clear();
    mouse.setCorrection(host.breaches[0].aiming.get(), shotA(), 1.5f, -2.0f);
    EXPECT_THAT(host.events, ElementsAre("DragAborted B"));
    EXPECT_FALSE(mouse.isDraggingShot());
    EXPECT_EQ(shotA(), mouse.dragShot());
    EXPECT_EQ((Point{1000, 500}), mouse.dragAnchor());
    EXPECT_EQ((Point{1150, 300}), mouse.dragCurrent());

    // The corrected breach is where the next drag picks it up.
    host.events.clear();
    send(MouseMessage::LeftDown, 115, 30);
    EXPECT_THAT(host.events, ElementsAre("LeftClick 11.5 3", "SelectionChanged", "StartDrag A 11.5 3"));
}

} // namespace
} // namespace talvoboard
