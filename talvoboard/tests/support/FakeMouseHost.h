#pragma once

#include "talvoboard/ObjectIdentity.h"
#include "talvoboard/TargetMouse.h"
#include "talvodata/Aiming.h"

#include "interfaces/talvoboard/DispIds.h"
#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/testing/Matchers.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

namespace talvoboard::testsupport {

using platform::com::ComPtr;
using platform::gfx::Point;
using platform::gfx::Rect;
using platform::gfx::Size;

/// Half of a 4.5 mm calibre, in units.
inline constexpr LONG kHitRadius = 225;

struct Breach {
    ComPtr<IAiming> aiming;
    ComPtr<IShot> shot;
    std::string name;
};

/// An aiming whose one shot breaks at (x, y) units: a steady hold there.
inline Breach makeBreach(LONG x, LONG y, std::string name)
{
    auto created = talvodata::CAiming::create();
    EXPECT_TRUE(created.hasValue());
    Breach breach{ComPtr<IAiming>(created.value().get()), {}, std::move(name)};
    ComPtr<IAimingAttr> attributes;
    ComPtr<IAimingTrace> trace;
    EXPECT_HR(S_OK, breach.aiming->get_Attr(attributes.put()));
    EXPECT_HR(S_OK, breach.aiming->get_Trace(trace.put()));
    EXPECT_HR(S_OK, attributes->put_SampleRate(200));
    EXPECT_HR(S_OK, trace->put_WrapEnabled(VARIANT_FALSE));
    for (int i = 0; i < 50; ++i) {
        EXPECT_HR(S_OK, trace->_Add(x, y));
    }
    EXPECT_HR(S_OK, breach.aiming->AddShot(VARIANT_FALSE, breach.shot.put()));
    return breach;
}

inline Point breachOf(IShot* shot)
{
    float x = 0.0f;
    float y = 0.0f;
    EXPECT_HR(S_OK, shot->Breach(&x, &y));
    return {static_cast<LONG>(std::lround(100.0f * x)), static_cast<LONG>(std::lround(100.0f * y))};
}

/// A control of 200 x 200 pixels showing 10 units per pixel, with breaches that its hit test finds as the control's
/// does: only the held drag shot at its dragged place while there is one.
class FakeHost final : public TargetMouseHost {
public:
    bool hasTarget() const override { return target; }
    bool isSelectable() const override { return selectable; }
    bool isDragable() const override { return dragable; }
    Size clientSize() const override { return {200, 200}; }
    Point toPlane(Point pixel) const override { return {pixel.x * 10, pixel.y * 10}; }
    MouseHit hitTest(Point plane) override
    {
        if (!selectable) {
            return {};
        }
        for (const Breach& breach : breaches) {
            Point at = breachOf(breach.shot.get());
            if (mouse->dragShot()) {
                if (!sameObject(breach.shot.get(), mouse->dragShot())) {
                    continue;
                }
                at = {at.x + mouse->dragCurrent().x - mouse->dragAnchor().x,
                      at.y + mouse->dragCurrent().y - mouse->dragAnchor().y};
            }
            const LONG dx = at.x - plane.x;
            const LONG dy = at.y - plane.y;
            if (dx * dx + dy * dy <= kHitRadius * kHitRadius) {
                return {breach.aiming, breach.shot, dx, dy};
            }
        }
        return {};
    }
    IShot* selectedShot() const override { return selection.get(); }
    void selectShot(IShot* shot) override { selection = ComPtr<IShot>(shot); }
    bool applyZoomRectangle(const Rect& rectangle) override
    {
        zoomRectangles.push_back(rectangle);
        // Below 1 cm a side the view is not zoomed.
        if (rectangle.width() < 1000 || rectangle.height() < 1000) {
            return false;
        }
        events.push_back("ZoomChanged");
        return true;
    }
    Point pan(Point anchor, Point mousePoint, Point pixel) override
    {
        pans.push_back({anchor, mousePoint, pixel});
        return {anchor.x + 1, anchor.y + 1};
    }
    void zoomToPoint(Point plane) override
    {
        zoomPoints.push_back(plane);
        events.push_back("ZoomChanged");
    }
    void refresh() override { ++refreshes; }
    void setCursor(MouseCursor shape) override { cursor = shape; }
    void setCapture(bool captured) override { capture = captured; }
    void raise(const TargetMouseEvent& event) override
    {
        std::string text = nameOf(event.dispid);
        if (event.shot) {
            text += " " + nameOfShot(event.shot);
            EXPECT_TRUE(holdsShot(event.aiming, event.shot));
        }
        if (event.dispid != DISPID_TARGETEVENTS_SELECTIONCHANGED && event.dispid != DISPID_TARGETEVENTS_DRAGABORTED) {
            char coordinates[64];
            std::snprintf(coordinates, sizeof coordinates, " %g %g", event.x, event.y);
            text += coordinates;
        }
        events.push_back(text);
    }

    static std::string nameOf(DISPID dispid)
    {
        switch (dispid) {
        case DISPID_TARGETEVENTS_SELECTIONCHANGED:
            return "SelectionChanged";
        case DISPID_TARGETEVENTS_LEFTCLICK:
            return "LeftClick";
        case DISPID_TARGETEVENTS_MIDDLECLICK:
            return "MiddleClick";
        case DISPID_TARGETEVENTS_RIGHTCLICK:
            return "RightClick";
        case DISPID_TARGETEVENTS_DBLCLICK:
            return "DblClick";
        case DISPID_TARGETEVENTS_STARTDRAG:
            return "StartDrag";
        case DISPID_TARGETEVENTS_DRAG:
            return "Drag";
        case DISPID_TARGETEVENTS_ENDDRAG:
            return "EndDrag";
        case DISPID_TARGETEVENTS_DRAGABORTED:
            return "DragAborted";
        default:
            return "dispid " + std::to_string(dispid);
        }
    }
    std::string nameOfShot(IShot* shot) const
    {
        for (const Breach& breach : breaches) {
            if (sameObject(breach.shot.get(), shot)) {
                return breach.name;
            }
        }
        return "?";
    }

    struct Pan {
        Point anchor;
        Point mouse;
        Point pixel;
    };

    TargetMouse* mouse = nullptr;
    bool target = true;
    bool selectable = true;
    bool dragable = false;
    std::vector<Breach> breaches;
    ComPtr<IShot> selection;
    std::vector<std::string> events;
    std::vector<Rect> zoomRectangles;
    std::vector<Pan> pans;
    std::vector<Point> zoomPoints;
    int refreshes = 0;
    MouseCursor cursor = MouseCursor::Arrow;
    bool capture = false;
};

} // namespace talvoboard::testsupport
