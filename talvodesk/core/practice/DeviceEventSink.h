#pragma once

#include "talvodesk/core/events/EventSink.h"

#include "interfaces/talvolink/_ITalvoDeviceEvents.h"

namespace talvodesk {

class PracticeRun;

/// The frame's sink of the device control's events: decodes each call and hands it to the practice run. Events
/// it does not handle, and calls whose arguments do not fit, change nothing. Owner thread only.
class DeviceEventSink final : public EventSink<PracticeRun, _ITalvoDeviceEvents::kIid> {
public:
    using EventSink::EventSink;

private:
    ~DeviceEventSink() override = default;
    void dispatch(PracticeRun& run, DISPID event, const EventArguments& arguments) override;
};

} // namespace talvodesk
