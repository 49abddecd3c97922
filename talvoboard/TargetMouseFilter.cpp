#include "talvoboard/TargetMouseFilter.h"

#include "talvoboard/TargetMouse.h"

#include <QMouseEvent>
#include <QWidget>

#include <optional>

namespace talvoboard {

namespace {

std::optional<MouseMessage> messageOf(QEvent::Type type, Qt::MouseButton button)
{
    if (type == QEvent::MouseMove) {
        return MouseMessage::Move;
    }
    // Down, up and double click follow one another in each button's numbers.
    UINT first = 0;
    switch (button) {
    case Qt::LeftButton:
        first = static_cast<UINT>(MouseMessage::LeftDown);
        break;
    case Qt::RightButton:
        first = static_cast<UINT>(MouseMessage::RightDown);
        break;
    case Qt::MiddleButton:
        first = static_cast<UINT>(MouseMessage::MiddleDown);
        break;
    default:
        return std::nullopt;
    }
    switch (type) {
    case QEvent::MouseButtonPress:
        return static_cast<MouseMessage>(first);
    case QEvent::MouseButtonRelease:
        return static_cast<MouseMessage>(first + 1);
    case QEvent::MouseButtonDblClick:
        return static_cast<MouseMessage>(first + 2);
    default:
        return std::nullopt;
    }
}

} // namespace

TargetMouseFilter::TargetMouseFilter(TargetMouse& mouse, QWidget& widget) : QObject(&widget), m_mouse(mouse)
{
    widget.setMouseTracking(true);
    widget.installEventFilter(this);
}

bool TargetMouseFilter::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseMove && type != QEvent::MouseButtonPress && type != QEvent::MouseButtonRelease &&
        type != QEvent::MouseButtonDblClick) {
        return QObject::eventFilter(watched, event);
    }
    const auto* mouseEvent = static_cast<QMouseEvent*>(event);
    const std::optional<MouseMessage> message = messageOf(type, mouseEvent->button());
    if (!message) {
        return false;
    }
    const QPoint pixel = mouseEvent->position().toPoint();
    const bool ctrl = mouseEvent->modifiers().testFlag(Qt::ControlModifier);
    return m_mouse.handle(*message, {pixel.x(), pixel.y()}, ctrl);
}

} // namespace talvoboard
