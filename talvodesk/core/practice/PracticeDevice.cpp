#include "talvodesk/core/practice/PracticeDevice.h"

namespace talvodesk {

namespace {
constexpr LONG kSubDevice = 1;
}

long TalvoDevicePort::SignalLevel()
{
    LONG level = 0;
    return SUCCEEDED(m_device->get_SignalLevel(kSubDevice, &level)) ? level : 0;
}

long TalvoDevicePort::Trigger(long index)
{
    LONG value = 0;
    return SUCCEEDED(m_device->get_Trigger(kSubDevice, index, &value)) ? value : 0;
}

bool TalvoDevicePort::SemaphoreAvailable()
{
    VARIANT_BOOL available = VARIANT_FALSE;
    return SUCCEEDED(m_device->get_SemaphoreAvailable(&available)) && available == VARIANT_TRUE;
}

void TalvoDevicePort::SetSemaphore(enumSemaphoreMode mode)
{
    (void)m_device->put_Semaphore(mode); // A light that does not switch stops nothing.
}

void TalvoDevicePort::AddShot()
{
    (void)m_device->AddShot(VARIANT_FALSE); // Refused when no aiming is open; nothing to tell.
}

void TalvoDevicePort::SetPiezoRejectInterval(float seconds)
{
    (void)m_device->put_PiezoRejectInterval(kSubDevice, seconds); // The option keeps the value either way.
}

} // namespace talvodesk
