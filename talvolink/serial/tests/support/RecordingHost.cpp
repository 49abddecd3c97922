#include "talvolink/serial/tests/support/RecordingHost.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/testing/EventPump.h"

#include <algorithm>

namespace talvolink::testsupport {

void RecordingHost::fireStartAiming(LONG, IAiming* aiming)
{
    aimings.push_back(platform::com::ComPtr<IAiming>(aiming));
    fired.push_back({Kind::StartAiming});
}

void RecordingHost::fireShot(LONG, IAiming*, IShot* shot)
{
    VARIANT_BOOL missed = VARIANT_FALSE;
    (void)shot->get_Missed(&missed);
    fired.push_back({Kind::Shot, missed == VARIANT_FALSE ? 0 : 1});
}

void RecordingHost::fireTrigger(LONG, LONG count)
{
    fired.push_back({Kind::Trigger, count});
    if (onTrigger) {
        onTrigger(count);
    }
}

std::size_t RecordingHost::count(Kind kind) const
{
    return static_cast<std::size_t>(
        std::count_if(fired.begin(), fired.end(), [kind](const Fired& f) { return f.kind == kind; }));
}

bool RecordingHost::pumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout)
{
    return platform::testing::pumpUntil(done, timeout);
}

} // namespace talvolink::testsupport
