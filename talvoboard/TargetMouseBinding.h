#pragma once

#include "talvoboard/TargetAccess.h"
#include "talvoboard/TargetMouse.h"

class QWidget;

namespace talvoboard {

class TargetMouseFilter;

/// Connects the mouse handling to the control: its window's mouse events, its hit test, selection, zoom and
/// panning, its events and cursors.
/// Thread rule: owner (user-interface) thread only.
class TargetMouseBinding final : public TargetMouseHost {
public:
    explicit TargetMouseBinding(TargetAccess access);
    ~TargetMouseBinding();
    TargetMouseBinding(const TargetMouseBinding&) = delete;
    TargetMouseBinding& operator=(const TargetMouseBinding&) = delete;

    TargetMouse& mouse() { return m_mouse; }
    /// Starts feeding the window's mouse events; once the window exists.
    void attach(QWidget& widget);

    bool hasTarget() const override;
    bool isSelectable() const override;
    bool isDragable() const override;
    platform::gfx::Size clientSize() const override;
    platform::gfx::Point toPlane(platform::gfx::Point pixel) const override;
    MouseHit hitTest(platform::gfx::Point plane) override;
    IShot* selectedShot() const override;
    void selectShot(IShot* shot) override;
    bool applyZoomRectangle(const platform::gfx::Rect& rectangle) override;
    platform::gfx::Point pan(platform::gfx::Point anchor, platform::gfx::Point mouse,
                             platform::gfx::Point pixel) override;
    void zoomToPoint(platform::gfx::Point plane) override;
    void refresh() override;
    void setCursor(MouseCursor cursor) override;
    void setCapture(bool captured) override;
    void raise(const TargetMouseEvent& event) override;

private:
    TargetAccess m_access;
    TargetMouse m_mouse{*this};
    QPointer<TargetMouseFilter> m_filter;
};

/// How far the view may move by anchor - mouse along one axis and stay on the face: 0 when the face is narrower
/// than the view.
LONG panShift(LONG wanted, LONG visibleLow, LONG visibleHigh, LONG faceLow, LONG faceHigh);

} // namespace talvoboard
