#include "talvolink/serial/Pause.h"

#include "platform/kernel/Event.h"

namespace talvolink {

void Pause(platform::time::Clock& clock, std::chrono::milliseconds duration)
{
    // An event nobody sets: the wait ends at the clock's deadline.
    platform::kernel::Event never(platform::kernel::EventReset::Manual);
    (void)never.wait(duration, clock);
}

} // namespace talvolink
