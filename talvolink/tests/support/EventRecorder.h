#pragma once

#include "interfaces/talvolink/DispIds.h"
#include "platform/com/ComObject.h"
#include "platform/com/Dispatch.h"
#include "platform/com/Variant.h"

#include <functional>
#include <string>
#include <vector>

namespace talvolink::testsupport {

/// One event as a sink received it: its DISPID, its arguments in call order, and the stamp the recorder's
/// stamp function gave at that moment (for instance the number of records processed so far).
struct ReceivedEvent {
    DISPID dispId = 0;
    std::vector<platform::com::Variant> arguments;
    long stamp = 0;

    LONG intArgument(std::size_t index) const { return arguments.at(index).get().lVal; }
    IDispatch* dispatchArgument(std::size_t index) const { return arguments.at(index).get().pdispVal; }
};

/// An _ITalvoDeviceEvents sink that records every event; an optional hook runs inside each call.
class EventRecorder final : public platform::com::ComObject<IDispatch> {
public:
    std::vector<ReceivedEvent> events;
    std::function<long()> stamp;
    std::function<void(const ReceivedEvent&)> hook;

    HRESULT Invoke(DISPID dispIdMember, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT*, EXCEPINFO*,
                   UINT*) override
    {
        if (flags != DISPATCH_METHOD || !params) {
            return E_INVALIDARG;
        }
        ReceivedEvent event;
        event.dispId = dispIdMember;
        for (UINT i = params->cArgs; i > 0; --i) {
            event.arguments.push_back(platform::com::Variant::copyOf(params->rgvarg[i - 1]));
        }
        event.stamp = stamp ? stamp() : 0;
        events.push_back(event);
        if (hook) {
            hook(events.back());
        }
        return S_OK;
    }

    /// The DISPIDs received, in order.
    std::vector<DISPID> sequence() const
    {
        std::vector<DISPID> ids;
        for (const ReceivedEvent& event : events) {
            ids.push_back(event.dispId);
        }
        return ids;
    }

    /// What breaks the order of the aimings received: an aiming event without an aiming, an aiming started twice,
    /// an event for an aiming not started or concluded already, an aiming never concluded (unless the sink stopped
    /// listening: `leftEarly`). Empty when none.
    std::string aimingOrderFault(bool leftEarly = false) const;

    std::vector<ReceivedEvent> eventsOf(DISPID dispId) const
    {
        std::vector<ReceivedEvent> found;
        for (const ReceivedEvent& event : events) {
            if (event.dispId == dispId) {
                found.push_back(event);
            }
        }
        return found;
    }

private:
    ~EventRecorder() override = default;
};

} // namespace talvolink::testsupport
