#pragma once

#include <QObject>

namespace talvoboard {

class TargetMouse;

/// Feeds a widget's Qt mouse events to the control's mouse handling as the window messages it knows, and turns on
/// mouse tracking so that moves without a button pressed arrive too. What the handling leaves to default
/// processing goes on to the widget.
/// Thread rule: owner (user-interface) thread only.
class TargetMouseFilter final : public QObject {
public:
    /// Watches `widget`, and is its child, so it goes with it. `mouse` must outlive the widget or remove the filter.
    TargetMouseFilter(TargetMouse& mouse, QWidget& widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    TargetMouse& m_mouse;
};

} // namespace talvoboard
