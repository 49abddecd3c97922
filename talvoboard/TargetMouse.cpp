#include "talvoboard/TargetMouse.h"

#include "talvoboard/ObjectIdentity.h"

#include "interfaces/talvoboard/DispIds.h"

#include <cmath>

namespace talvoboard {

using platform::gfx::Point;

namespace {

Point breachInUnits(IShot* shot, float dx, float dy)
{
    float x = 0.0f;
    float y = 0.0f;
    // A breach that cannot be read is taken at the centre, as the drawing does.
    (void)shot->Breach(&x, &y);
    return {static_cast<LONG>(std::lround(100.0f * (x + dx))), static_cast<LONG>(std::lround(100.0f * (y + dy)))};
}

Point plus(Point a, Point b)
{
    return {a.x + b.x, a.y + b.y};
}
Point minus(Point a, Point b)
{
    return {a.x - b.x, a.y - b.y};
}

float millimetres(LONG units)
{
    return static_cast<float>(units) / 100.0f;
}

} // namespace

bool TargetMouse::handle(MouseMessage message, Point pixel, bool ctrl)
{
    if (message == MouseMessage::MiddleUp || message == MouseMessage::MiddleDoubleClick) {
        return false;
    }
    // The right button's release and double click are swallowed.
    if (!m_host.hasTarget() || message == MouseMessage::RightUp || message == MouseMessage::RightDoubleClick) {
        return true;
    }
    const Point plane = m_host.toPlane(pixel);
    const MouseHit hit = m_host.hitTest(plane);
    switch (message) {
    case MouseMessage::Move:
        move(pixel, plane, hit);
        break;
    case MouseMessage::LeftDown:
        leftDown(plane, hit, ctrl);
        break;
    case MouseMessage::LeftUp:
        leftUp(pixel, plane, hit);
        break;
    case MouseMessage::LeftDoubleClick:
        leftDoubleClick(plane, hit);
        break;
    case MouseMessage::RightDown:
        rightDown(plane, hit);
        break;
    case MouseMessage::MiddleDown:
        raise(DISPID_TARGETEVENTS_MIDDLECLICK, plane);
        break;
    case MouseMessage::RightUp:
    case MouseMessage::RightDoubleClick:
    case MouseMessage::MiddleUp:
    case MouseMessage::MiddleDoubleClick:
        break;
    }
    return true;
}

void TargetMouse::move(Point pixel, Point plane, const MouseHit& hit)
{
    switch (m_mode) {
    case Mode::DraggingShot:
        if (isInsideClient(pixel)) {
            m_dragCurrent = minus(plane, m_grabOffset);
            m_host.refresh();
            raiseDrag(DISPID_TARGETEVENTS_DRAG, m_dragCurrent);
        }
        m_host.setCursor(MouseCursor::Grab);
        return;
    case Mode::ZoomRectangle:
        m_current = plane;
        m_host.refresh();
        m_host.setCursor(MouseCursor::Cross);
        return;
    case Mode::Panning:
        m_host.setCursor(MouseCursor::Grab);
        m_anchor = m_host.pan(m_anchor, plane, pixel);
        return;
    case Mode::Idle:
        m_host.setCursor(hit.aiming || hit.shot ? MouseCursor::OverBreach : MouseCursor::Arrow);
        return;
    }
}

void TargetMouse::leftDown(Point plane, const MouseHit& hit, bool ctrl)
{
    const bool onBreach = hit.aiming && hit.shot;
    if (onBreach) {
        m_host.setCursor(m_host.isDragable() ? MouseCursor::Grab : MouseCursor::OverBreach);
    } else {
        m_host.setCursor(MouseCursor::Arrow);
    }
    if (!ctrl) {
        if (!m_host.isSelectable() || sameObject(hit.shot.get(), m_host.selectedShot()) ||
            (!hit.shot && !m_host.selectedShot())) {
            raise(DISPID_TARGETEVENTS_LEFTCLICK, plane);
        } else {
            clickAndSelect(DISPID_TARGETEVENTS_LEFTCLICK, plane, hit.shot.get());
        }
        if (onBreach && m_host.isDragable()) {
            startShotDrag(plane, hit);
            return;
        }
    }
    m_mode = ctrl ? Mode::Panning : Mode::ZoomRectangle;
    m_anchor = m_current = plane;
    m_host.setCapture(true);
}

void TargetMouse::startShotDrag(Point plane, const MouseHit& hit)
{
    const Point toBreach{hit.dx, hit.dy};
    m_mode = Mode::DraggingShot;
    if (sameObject(hit.aiming.get(), m_dragAiming.get()) && sameObject(hit.shot.get(), m_dragShot.get())) {
        // Dragged before: the anchor stays on the shot's own breach, so the earlier move is kept.
        m_dragAnchor = breachInUnits(hit.shot.get(), 0.0f, 0.0f);
    } else {
        m_dragAnchor = plus(plane, toBreach);
        m_dragAiming = hit.aiming;
        m_dragShot = hit.shot;
    }
    m_grabOffset = {-hit.dx, -hit.dy};
    m_dragCurrent = plus(plane, toBreach);
    m_host.setCapture(true);
    raiseDrag(DISPID_TARGETEVENTS_STARTDRAG, m_dragCurrent);
    m_host.refresh();
}

void TargetMouse::leftUp(Point pixel, Point plane, const MouseHit& hit)
{
    m_host.setCursor(hit.aiming || hit.shot ? MouseCursor::OverBreach : MouseCursor::Arrow);
    switch (m_mode) {
    case Mode::DraggingShot:
        if (isInsideClient(pixel)) {
            m_dragCurrent = minus(plane, m_grabOffset);
            finish(m_dragCurrent);
        } else {
            finish(std::nullopt);
        }
        return;
    case Mode::ZoomRectangle:
        m_current = plane;
        finish(plane);
        return;
    case Mode::Panning:
        finish(std::nullopt);
        return;
    case Mode::Idle:
        return;
    }
}

void TargetMouse::leftDoubleClick(Point plane, const MouseHit& hit)
{
    if (!m_host.isSelectable() || sameObject(hit.shot.get(), m_host.selectedShot())) {
        raise(DISPID_TARGETEVENTS_DBLCLICK, plane);
    } else {
        clickAndSelect(DISPID_TARGETEVENTS_DBLCLICK, plane, hit.shot.get());
    }
    if (!hit.shot) {
        m_host.zoomToPoint(plane);
    }
}

void TargetMouse::rightDown(Point plane, const MouseHit& hit)
{
    // Selectable plays no part: while it is off the hit test finds nothing anyway.
    if (sameObject(hit.shot.get(), m_host.selectedShot())) {
        raise(DISPID_TARGETEVENTS_RIGHTCLICK, plane);
    } else {
        clickAndSelect(DISPID_TARGETEVENTS_RIGHTCLICK, plane, hit.shot.get());
    }
}

void TargetMouse::clickAndSelect(DISPID click, Point plane, IShot* hit)
{
    m_host.selectShot(hit);
    raise(click, plane);
    m_host.raise({DISPID_TARGETEVENTS_SELECTIONCHANGED});
}

void TargetMouse::finish(std::optional<Point> point)
{
    const Mode mode = m_mode;
    // Idle before any event, so a handler that aborts or starts again sees no mode half ended.
    m_mode = Mode::Idle;
    switch (mode) {
    case Mode::DraggingShot:
        if (point) {
            raiseDrag(DISPID_TARGETEVENTS_ENDDRAG, *point);
        } else {
            m_host.raise({DISPID_TARGETEVENTS_DRAGABORTED, 0.0f, 0.0f, m_dragAiming.get(), m_dragShot.get()});
        }
        m_host.setCapture(false);
        return;
    case Mode::ZoomRectangle: {
        const bool applied = point && m_host.applyZoomRectangle(
                                          platform::gfx::Rect{m_anchor.x, m_anchor.y, point->x, point->y}.normalized());
        m_host.setCapture(false);
        if (applied || m_zoomRectangleDrawn) {
            m_host.refresh();
        }
        return;
    }
    case Mode::Panning:
        m_host.setCapture(false);
        return;
    case Mode::Idle:
        return;
    }
}

void TargetMouse::abort()
{
    finish(std::nullopt);
}

void TargetMouse::abortShotDrag()
{
    if (m_mode == Mode::DraggingShot) {
        finish(std::nullopt);
    }
}

void TargetMouse::releaseDragShot()
{
    m_dragAiming.reset();
    m_dragShot.reset();
}

void TargetMouse::setCorrection(IAiming* aiming, IShot* shot, float dx, float dy)
{
    abort();
    m_dragAiming = platform::com::ComPtr<IAiming>(aiming);
    m_dragShot = platform::com::ComPtr<IShot>(shot);
    m_dragAnchor = breachInUnits(shot, 0.0f, 0.0f);
    m_dragCurrent = breachInUnits(shot, dx, dy);
}

bool TargetMouse::isInsideClient(Point pixel) const
{
    const platform::gfx::Size client = m_host.clientSize();
    return pixel.x >= 0 && pixel.x <= client.cx && pixel.y >= 0 && pixel.y <= client.cy;
}

void TargetMouse::raise(DISPID dispid, Point plane)
{
    m_host.raise({dispid, millimetres(plane.x), millimetres(plane.y)});
}

void TargetMouse::raiseDrag(DISPID dispid, Point plane)
{
    m_host.raise({dispid, millimetres(plane.x), millimetres(plane.y), m_dragAiming.get(), m_dragShot.get()});
}

} // namespace talvoboard
