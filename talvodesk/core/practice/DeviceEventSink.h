#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

namespace talvodesk {

class PracticeRun;

/// The frame's sink of the device control's events: decodes each call and hands it to the practice run. Events
/// it does not handle, and calls whose arguments do not fit, change nothing. Owner thread only.
class DeviceEventSink final : public platform::com::ComObject<IDispatch> {
public:
    explicit DeviceEventSink(PracticeRun& run) : m_run(&run) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argumentError) override;

    /// The practice run goes away: later events are dropped.
    void Detach() { m_run = nullptr; }

protected:
    HRESULT queryExtraInterface(REFIID riid, void** ppvObject) override;

private:
    ~DeviceEventSink() override = default;

    PracticeRun* m_run;
};

} // namespace talvodesk
