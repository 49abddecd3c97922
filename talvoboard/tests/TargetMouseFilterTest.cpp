#include "talvoboard/TargetMouseFilter.h"

#include "talvoboard/tests/support/FakeMouseHost.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace talvoboard {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

/// Counts the mouse events that reach it past the filter.
class CountingWidget final : public QWidget {
public:
    int received = 0;

protected:
    void mousePressEvent(QMouseEvent*) override { ++received; }
    void mouseReleaseEvent(QMouseEvent*) override { ++received; }
    void mouseDoubleClickEvent(QMouseEvent*) override { ++received; }
    void mouseMoveEvent(QMouseEvent*) override { ++received; }
};

class TargetMouseFilterTest : public ::testing::Test {
protected:
    TargetMouseFilterTest()
    {
        host.mouse = &mouse;
        host.breaches = {testsupport::makeBreach(1000, 500, "A")};
        new TargetMouseFilter(mouse, widget); // A child of the widget.
    }

    /// True when the filter kept the event from the widget.
    bool send(QEvent::Type type, Qt::MouseButton button, QPoint pixel, Qt::KeyboardModifiers modifiers = {})
    {
        const Qt::MouseButtons held = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::MouseButtons(button);
        QMouseEvent event(type, QPointF(pixel), QPointF(widget.mapToGlobal(pixel)), button, held, modifiers);
        const int before = widget.received;
        QCoreApplication::sendEvent(&widget, &event);
        return widget.received == before;
    }

    testsupport::FakeHost host;
    TargetMouse mouse{host};
    CountingWidget widget;
};

TEST_F(TargetMouseFilterTest, ButtonsBecomeTheControlsMouseMessages)
{
    EXPECT_TRUE(widget.hasMouseTracking());
    send(QEvent::MouseButtonPress, Qt::LeftButton, {100, 50});
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {100, 50});
    send(QEvent::MouseButtonDblClick, Qt::LeftButton, {100, 50});
    send(QEvent::MouseButtonPress, Qt::RightButton, {30, 40});
    send(QEvent::MouseButtonPress, Qt::MiddleButton, {30, 40});
    EXPECT_THAT(host.events, ElementsAre("LeftClick 10 5", "SelectionChanged", "DblClick 10 5", "RightClick 3 4",
                                         "SelectionChanged", "MiddleClick 3 4"));
    EXPECT_EQ(0, widget.received);
}

TEST_F(TargetMouseFilterTest, CtrlPressPansAndMovesFollowTheMouse)
{
    send(QEvent::MouseMove, Qt::NoButton, {100, 50});
    EXPECT_EQ(MouseCursor::OverBreach, host.cursor);
    send(QEvent::MouseButtonPress, Qt::LeftButton, {10, 10}, Qt::ControlModifier);
    EXPECT_TRUE(mouse.isPanning());
    send(QEvent::MouseMove, Qt::NoButton, {20, 20}, Qt::ControlModifier);
    EXPECT_EQ(1u, host.pans.size());
    send(QEvent::MouseButtonRelease, Qt::LeftButton, {20, 20});
    EXPECT_FALSE(mouse.isPanning());
    EXPECT_THAT(host.events, IsEmpty());
}

TEST_F(TargetMouseFilterTest, MiddleReleaseAndOtherButtonsGoOnToTheWidget)
{
    EXPECT_FALSE(send(QEvent::MouseButtonRelease, Qt::MiddleButton, {30, 40}));
    EXPECT_FALSE(send(QEvent::MouseButtonDblClick, Qt::MiddleButton, {30, 40}));
    EXPECT_FALSE(send(QEvent::MouseButtonPress, Qt::BackButton, {30, 40}));
    EXPECT_TRUE(send(QEvent::MouseButtonRelease, Qt::RightButton, {30, 40}));
    EXPECT_THAT(host.events, IsEmpty());
}

} // namespace
} // namespace talvoboard
