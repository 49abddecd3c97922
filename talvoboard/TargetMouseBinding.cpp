#include "talvoboard/TargetMouseBinding.h"

#include "talvoboard/TargetMouseFilter.h"
#include "talvoboard/TargetWidget.h"
#include "talvoboard/internal/HitTest.h"
#include "talvoboard/internal/TargetGeometry.h"
#include "talvoboard/internal/Zoom.h"

#include "interfaces/talvoboard/DispIds.h"

#include <algorithm>
#include <cmath>

namespace talvoboard {

using platform::com::ComPtr;
using platform::com::Variant;
using platform::gfx::Point;
using platform::gfx::Rect;

TargetMouseBinding::TargetMouseBinding(TargetAccess access) : m_access(std::move(access)) {}

TargetMouseBinding::~TargetMouseBinding()
{
    // The widget may outlive the control inside its host; it must not call into a binding that is gone.
    delete m_filter.data();
}

void TargetMouseBinding::attach(QWidget& widget)
{
    if (!m_filter) {
        m_filter = new TargetMouseFilter(m_mouse, widget);
    }
}

bool TargetMouseBinding::hasTarget() const
{
    return m_access.state.event && m_access.state.targetParams;
}
bool TargetMouseBinding::isSelectable() const
{
    return m_access.state.selectable;
}
bool TargetMouseBinding::isDragable() const
{
    return m_access.state.dragable;
}

platform::gfx::Size TargetMouseBinding::clientSize() const
{
    const Rect client = m_access.widget ? m_access.widget->clientRect() : Rect{};
    return {client.width(), client.height()};
}

Point TargetMouseBinding::toPlane(Point pixel) const
{
    const Rect client = m_access.widget ? m_access.widget->clientRect() : Rect{};
    return TargetDrawSurface(client, m_access.state.visible).toPlane(pixel);
}

MouseHit TargetMouseBinding::hitTest(Point plane)
{
    const DraggedShot dragged{ComPtr(m_mouse.dragAiming()), ComPtr(m_mouse.dragShot()), m_mouse.dragAnchor(),
                              m_mouse.dragCurrent()};
    Hit hit = talvoboard::hitTest(plane, m_access.state.aimings, m_access.state.selectable,
                                  displayCalibre(m_access.state.event.get()), &dragged);
    return {std::move(hit.aiming), std::move(hit.shot), hit.dx, hit.dy};
}

IShot* TargetMouseBinding::selectedShot() const
{
    return m_access.state.selectedShot.get();
}

void TargetMouseBinding::selectShot(IShot* shot)
{
    (void)m_access.target.put_SelectedShot(shot); // It cannot fail: an unknown shot clears the selection.
}

bool TargetMouseBinding::applyZoomRectangle(const Rect& rectangle)
{
    const float minimum = 100.0f * minimumZoomSide(m_access.state.targetParams.get());
    if (static_cast<float>(rectangle.width()) < minimum || static_cast<float>(rectangle.height()) < minimum ||
        rectangle == m_access.state.visible) {
        return false;
    }
    m_access.state.visible = rectangle;
    m_access.fire(DISPID_TARGETEVENTS_ZOOMCHANGED, {});
    return true;
}

LONG panShift(LONG wanted, LONG visibleLow, LONG visibleHigh, LONG faceLow, LONG faceHigh)
{
    if (faceHigh - faceLow < visibleHigh - visibleLow) {
        return 0;
    }
    if (visibleHigh + wanted > faceHigh) {
        wanted = faceHigh - visibleHigh;
    }
    if (visibleLow + wanted < faceLow) {
        wanted = faceLow - visibleLow;
    }
    return wanted;
}

Point TargetMouseBinding::pan(Point anchor, Point mouse, Point pixel)
{
    Rect& visible = m_access.state.visible;
    const Rect& face = m_access.state.face;
    const Point shift{panShift(anchor.x - mouse.x, visible.left, visible.right, face.left, face.right),
                      panShift(anchor.y - mouse.y, visible.top, visible.bottom, face.top, face.bottom)};
    if (shift.x == 0 && shift.y == 0) {
        return anchor;
    }
    visible = visible.translated(shift);
    refresh();
    return toPlane(pixel);
}

void TargetMouseBinding::zoomToPoint(Point plane)
{
    const TargetState& state = m_access.state;
    const float x = toMillimetres(plane.x);
    const float y = toMillimetres(plane.y);
    float score = 0.0f;
    if (SUCCEEDED(state.event->GetPointScore(x, y, state.subTarget, &score))) {
        m_access.state.zoom = score;
    }
    float width = 0.0f;
    float height = 0.0f;
    (void)state.targetParams->get_FormWidth(&width); // An unreadable form limits nothing more.
    (void)state.targetParams->get_FormHeight(&height);
    const float radius = std::min(std::hypot(x, y), std::max(width, height) / 2.0f);
    // A square below the smallest zoom keeps the view.
    (void)m_access.target.ZoomTo(-radius, -radius, 2.0f * radius, 2.0f * radius);
    m_access.fire(DISPID_TARGETEVENTS_ZOOMCHANGED, {});
}

void TargetMouseBinding::refresh()
{
    (void)m_access.target.Refresh();
}

void TargetMouseBinding::setCursor(MouseCursor cursor)
{
    if (!m_access.widget) {
        return;
    }
    switch (cursor) {
    case MouseCursor::Arrow:
        m_access.widget->setCursor(Qt::ArrowCursor);
        return;
    case MouseCursor::Cross:
        m_access.widget->setCursor(Qt::CrossCursor);
        return;
    case MouseCursor::OverBreach:
        m_access.widget->setCursor(Qt::PointingHandCursor);
        return;
    case MouseCursor::Grab:
        m_access.widget->setCursor(Qt::ClosedHandCursor);
        return;
    }
}

void TargetMouseBinding::setCapture(bool captured)
{
    if (!m_access.widget) {
        return;
    }
    if (captured) {
        m_access.widget->grabMouse();
    } else {
        m_access.widget->releaseMouse();
    }
}

void TargetMouseBinding::raise(const TargetMouseEvent& event)
{
    std::vector<Variant> arguments;
    if (event.aiming || event.shot) {
        arguments.push_back(Variant::fromDispatch(event.aiming));
        arguments.push_back(Variant::fromDispatch(event.shot));
    }
    if (event.dispid != DISPID_TARGETEVENTS_SELECTIONCHANGED && event.dispid != DISPID_TARGETEVENTS_DRAGABORTED) {
        arguments.push_back(Variant::fromFloat(event.x));
        arguments.push_back(Variant::fromFloat(event.y));
    }
    m_access.fire(event.dispid, std::move(arguments));
}

} // namespace talvoboard
