#pragma once

#include "talvodesk/core/events/EventSink.h"

#include "interfaces/talvoboard/_ITargetEvents.h"

struct IAiming;
struct IShot;

namespace talvodesk {

/// What a window that hosts a target control does with the control's events. Each handler does nothing unless
/// overridden. Owner thread only.
class TargetEventHandler {
public:
    virtual void OnSelectionChanged() {}
    virtual void OnZoomChanged() {}
    virtual void OnRightClick(float /*x*/, float /*y*/) {}
    virtual void OnDblClick(float /*x*/, float /*y*/) {}
    virtual void OnStartDrag(IAiming* /*aiming*/, IShot* /*shot*/, float /*x*/, float /*y*/) {}
    virtual void OnEndDrag(IAiming* /*aiming*/, IShot* /*shot*/, float /*x*/, float /*y*/) {}
    virtual void OnReplayPositionChanged() {}
    virtual void OnEndReplay() {}

protected:
    ~TargetEventHandler() = default;
};

/// The _ITargetEvents sink of a host: decodes each call and hands it to the handler. Calls whose arguments do not
/// fit are dropped. Owner thread only.
class TargetEventSink final : public EventSink<TargetEventHandler, _ITargetEvents::kIid> {
public:
    using EventSink::EventSink;

private:
    ~TargetEventSink() override = default;
    void dispatch(TargetEventHandler& handler, DISPID event, const EventArguments& arguments) override;
};

} // namespace talvodesk
