#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

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
class TargetEventSink final : public platform::com::ComObject<IDispatch> {
public:
    explicit TargetEventSink(TargetEventHandler& handler) : m_handler(&handler) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argumentError) override;

    /// The handler goes away: later events are dropped.
    void Detach() { m_handler = nullptr; }

protected:
    HRESULT queryExtraInterface(REFIID riid, void** ppvObject) override;

private:
    ~TargetEventSink() override = default;

    TargetEventHandler* m_handler;
};

} // namespace talvodesk
