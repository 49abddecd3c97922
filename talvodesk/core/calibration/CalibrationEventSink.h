#pragma once

#include "talvodesk/core/events/EventSink.h"

#include "interfaces/talvolink/_ITalvoDeviceEvents.h"

namespace talvodesk {

class CalibrationState;

/// The calibration dialog's sink of the device control's events: StartAiming, NewCoordinates, Shot and
/// ConcludeAiming go to the calibration rules; FinalConcludeAiming and the rest are accepted and ignored. Owner
/// thread only.
class CalibrationEventSink final : public EventSink<CalibrationState, _ITalvoDeviceEvents::kIid> {
public:
    using EventSink::EventSink;

private:
    ~CalibrationEventSink() override = default;
    void dispatch(CalibrationState& state, DISPID event, const EventArguments& arguments) override;
};

} // namespace talvodesk
