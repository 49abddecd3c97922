#include "talvolink/serial/TalvoPavane_s.h"

namespace talvolink {

bool CTalvoPavane_s::SemaphoreAvailable()
{
    return true;
}

bool CTalvoPavane_s::PutSemaphore(enumSemaphoreMode mode)
{
    BeginCommand(21);
    (void)AddCommandByte(static_cast<std::uint8_t>(mode));
    (void)SendCommand();
    return true;
}

} // namespace talvolink
