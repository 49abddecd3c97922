#include "talvolink/tests/support/EventRecorder.h"

#include <map>

namespace talvolink::testsupport {

std::string EventRecorder::aimingOrderFault(bool leftEarly) const
{
    std::map<IDispatch*, bool> concluded; // Every aiming started so far, and whether it was concluded.
    for (std::size_t i = 0; i < events.size(); ++i) {
        const ReceivedEvent& event = events[i];
        const DISPID id = event.dispId;
        if (id != DISPID_TALVODEVICEEVENTS_STARTAIMING && id != DISPID_TALVODEVICEEVENTS_NEWCOORDINATES &&
            id != DISPID_TALVODEVICEEVENTS_SHOT && id != DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING) {
            continue;
        }
        const std::string where = "event " + std::to_string(i) + " (DISPID " + std::to_string(id) + ")";
        IDispatch* aiming = event.arguments.at(1).type() == VT_DISPATCH ? event.dispatchArgument(1) : nullptr;
        if (!aiming) {
            return where + " carries no aiming";
        }
        const auto found = concluded.find(aiming);
        if (id == DISPID_TALVODEVICEEVENTS_STARTAIMING) {
            if (found != concluded.end()) {
                return where + " starts an aiming a second time";
            }
            concluded.emplace(aiming, false);
            continue;
        }
        if (found == concluded.end()) {
            return where + " names an aiming that was never started";
        }
        if (found->second) {
            return where + " names an aiming concluded already";
        }
        found->second = id == DISPID_TALVODEVICEEVENTS_CONCLUDEAIMING;
    }
    for (const auto& [aiming, done] : concluded) {
        if (!done && !leftEarly) {
            return "an aiming was never concluded";
        }
    }
    return {};
}

} // namespace talvolink::testsupport
