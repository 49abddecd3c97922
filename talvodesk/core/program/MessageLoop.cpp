#include "talvodesk/core/program/MessageLoop.h"

namespace talvodesk {

bool CMessageLoop2::IsIdleMessage(std::uint32_t message)
{
    switch (message) {
    case 0x000F: // WM_PAINT
    case 0x00A0: // WM_NCMOUSEMOVE
    case 0x0113: // WM_TIMER
    case 0x0118: // the system caret timer
    case 0x0200: // WM_MOUSEMOVE
    case 0x7FFF: // the device link's data message
        return false;
    default:
        return true;
    }
}

} // namespace talvodesk
