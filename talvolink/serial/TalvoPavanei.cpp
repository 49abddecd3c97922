#include "talvolink/serial/TalvoPavanei.h"

namespace talvolink {

bool CTalvoPavanei::SemaphoreAvailable()
{
    return true;
}

bool CTalvoPavanei::PutSemaphore(enumSemaphoreMode mode)
{
    BeginCommand(22);
    (void)AddCommandByte(static_cast<std::uint8_t>(mode));
    (void)SendCommand();
    return true;
}

} // namespace talvolink
