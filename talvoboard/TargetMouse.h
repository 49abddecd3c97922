#pragma once

#include "interfaces/talvodata/IAiming.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ComPtr.h"
#include "platform/com/Types.h"
#include "platform/gfx/Geometry.h"

#include <optional>

namespace talvoboard {

/// The mouse messages of the control's window, by their window-message numbers.
enum class MouseMessage : UINT {
    Move = 0x200,
    LeftDown = 0x201,
    LeftUp = 0x202,
    LeftDoubleClick = 0x203,
    RightDown = 0x204,
    RightUp = 0x205,
    RightDoubleClick = 0x206,
    MiddleDown = 0x207,
    MiddleUp = 0x208,
    MiddleDoubleClick = 0x209,
};

enum class MouseCursor {
    Arrow,
    /// While drawing a zoom rectangle.
    Cross,
    /// Over a breach: the library's cursor 204.
    OverBreach,
    /// Dragging a shot or panning: the library's cursor 205.
    Grab,
};

/// An event of _ITargetEvents that the mouse raises. Coordinates are millimetres; the aiming and shot are set only
/// for the drag events.
struct TargetMouseEvent {
    DISPID dispid = 0;
    float x = 0.0f;
    float y = 0.0f;
    IAiming* aiming = nullptr;
    IShot* shot = nullptr;
};

/// The breach under a point: its aiming and shot (null when none) and the offset from the point to the breach in
/// units of 1/100 mm.
struct MouseHit {
    platform::com::ComPtr<IAiming> aiming;
    platform::com::ComPtr<IShot> shot;
    LONG dx = 0;
    LONG dy = 0;
};

/// The control as its mouse handling sees it. Plane points are in units of 1/100 mm, pixels in client coordinates.
class TargetMouseHost {
public:
    /// Mouse messages are ignored until an event with its target face is set.
    virtual bool hasTarget() const = 0;
    virtual bool isSelectable() const = 0;
    virtual bool isDragable() const = 0;
    virtual platform::gfx::Size clientSize() const = 0;
    virtual platform::gfx::Point toPlane(platform::gfx::Point pixel) const = 0;
    /// The breach under `plane`; while the mouse holds a drag shot, only that shot at its dragged place.
    virtual MouseHit hitTest(platform::gfx::Point plane) = 0;
    virtual IShot* selectedShot() const = 0;
    /// As put_SelectedShot: null, or a shot no aiming holds, clears the selection. Raises nothing.
    virtual void selectShot(IShot* shot) = 0;
    /// Shows the rectangle when it is large enough and differs from the visible one, raising ZoomChanged; true then.
    virtual bool applyZoomRectangle(const platform::gfx::Rect& rectangle) = 0;
    /// Moves the view by anchor - mouse, kept on the face; returns the plane point under `pixel` after the move.
    virtual platform::gfx::Point pan(platform::gfx::Point anchor, platform::gfx::Point mouse,
                                     platform::gfx::Point pixel) = 0;
    /// A double click beside every breach: zooms to the ring through the point and raises ZoomChanged.
    virtual void zoomToPoint(platform::gfx::Point plane) = 0;
    virtual void refresh() = 0;
    virtual void setCursor(MouseCursor cursor) = 0;
    virtual void setCapture(bool captured) = 0;
    virtual void raise(const TargetMouseEvent& event) = 0;

protected:
    ~TargetMouseHost() = default;
};

/// The control's mouse modes: clicks and selection, dragging a breach (only where the control is dragable), drawing
/// a zoom rectangle, panning with Ctrl, and zoom by double click. One mode at a time; the mouse is captured while
/// one is active. The dragged aiming and shot stay held after a drag, so only that shot can be dragged again until
/// releaseDragShot().
/// Thread rule: owner thread only.
class TargetMouse {
public:
    explicit TargetMouse(TargetMouseHost& host) : m_host(host) {}

    /// False for the messages the window leaves to default processing (middle button up and double click).
    bool handle(MouseMessage message, platform::gfx::Point pixel, bool ctrl);

    /// Ends the active mode without applying it; a shot drag raises DragAborted.
    void abort();
    /// Ends a shot drag in progress as aborted; other modes go on.
    void abortShotDrag();
    void releaseDragShot();
    /// Aborts the active mode and holds the shot as if dragged by (dx, dy) millimetres from its breach, so that the
    /// drag feedback shows its corrected place. Raises nothing but DragAborted for an aborted drag.
    void setCorrection(IAiming* aiming, IShot* shot, float dx, float dy);

    bool isDraggingShot() const { return m_mode == Mode::DraggingShot; }
    bool isDrawingZoomRectangle() const { return m_mode == Mode::ZoomRectangle; }
    bool isPanning() const { return m_mode == Mode::Panning; }
    /// The held drag shot's breach is shown and hit at its Breach + (dragCurrent - dragAnchor), in units.
    IAiming* dragAiming() const { return m_dragAiming.get(); }
    IShot* dragShot() const { return m_dragShot.get(); }
    platform::gfx::Point dragAnchor() const { return m_dragAnchor; }
    platform::gfx::Point dragCurrent() const { return m_dragCurrent; }
    /// The zoom rectangle being drawn spans these plane points; panning keeps its anchor here.
    platform::gfx::Point anchor() const { return m_anchor; }
    platform::gfx::Point current() const { return m_current; }

    /// Set by the drawing of the zoom-rectangle feedback, cleared by a full paint.
    void setZoomRectangleDrawn(bool drawn) { m_zoomRectangleDrawn = drawn; }

private:
    enum class Mode {
        Idle,
        DraggingShot,
        ZoomRectangle,
        Panning,
    };

    void move(platform::gfx::Point pixel, platform::gfx::Point plane, const MouseHit& hit);
    void leftDown(platform::gfx::Point plane, const MouseHit& hit, bool ctrl);
    void leftUp(platform::gfx::Point pixel, platform::gfx::Point plane, const MouseHit& hit);
    void leftDoubleClick(platform::gfx::Point plane, const MouseHit& hit);
    void rightDown(platform::gfx::Point plane, const MouseHit& hit);
    /// Raises the click, selecting the hit shot first (with SelectionChanged after the click) unless it is selected.
    void clickAndSelect(DISPID click, platform::gfx::Point plane, IShot* hit);
    void startShotDrag(platform::gfx::Point plane, const MouseHit& hit);
    /// Ends the active mode, applying it at `point` when there is one.
    void finish(std::optional<platform::gfx::Point> point);
    bool isInsideClient(platform::gfx::Point pixel) const;
    void raise(DISPID dispid, platform::gfx::Point plane);
    void raiseDrag(DISPID dispid, platform::gfx::Point plane);

    TargetMouseHost& m_host;
    Mode m_mode = Mode::Idle;
    bool m_zoomRectangleDrawn = false;
    platform::gfx::Point m_anchor;
    platform::gfx::Point m_current;
    // Kept apart from the zoom rectangle's points, so a zoom or pan does not move the held drag shot.
    platform::gfx::Point m_dragAnchor;
    platform::gfx::Point m_dragCurrent;
    /// From the mouse to the dragged breach's place, negated.
    platform::gfx::Point m_grabOffset;
    platform::com::ComPtr<IAiming> m_dragAiming;
    platform::com::ComPtr<IShot> m_dragShot;
};

} // namespace talvoboard
