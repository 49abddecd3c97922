#pragma once

#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"

namespace talvodesk {

class CalibrationState;

/// The calibration dialog's sink of the device control's events: StartAiming, NewCoordinates, Shot and
/// ConcludeAiming go to the calibration rules; FinalConcludeAiming and the rest are accepted and ignored. Owner
/// thread only.
class CalibrationEventSink final : public platform::com::ComObject<IDispatch> {
public:
    explicit CalibrationEventSink(CalibrationState& state) : m_state(&state) {}

    HRESULT Invoke(DISPID dispIdMember, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                   EXCEPINFO* exceptionInfo, UINT* argumentError) override;

    /// The rules go away: later events are dropped.
    void Detach() { m_state = nullptr; }

protected:
    HRESULT queryExtraInterface(REFIID riid, void** ppvObject) override;

private:
    ~CalibrationEventSink() override = default;

    CalibrationState* m_state;
};

} // namespace talvodesk
