#include "talvolink/usb/UsbTriggerSensor.h"

#include "talvolink/usb/Bytes.h"

namespace talvolink {

using platform::kernel::LockGuard;
using platform::kernel::RecursiveMutex;

bool UsbTriggerSensor::Initialize()
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_values.clear();
    (void)m_filter.Design(0.05, FilterKind::LowPass, 0.05, 2); // fixed, valid parameters
    return true;
}

void UsbTriggerSensor::OnReadError(platform::usb::UsbError /*error*/, bool& stop)
{
    CloseHandle();
    stop = true;
}

void UsbTriggerSensor::OnPacket(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < 2) {
        return;
    }
    LockGuard<RecursiveMutex> lock(requestLock());
    m_values.push_back(static_cast<double>(bytes::le16(bytes, 0)));
}

double UsbTriggerSensor::CurrentValue()
{
    LockGuard<RecursiveMutex> lock(requestLock());
    for (const double value : m_values) {
        (void)m_filter.Step(value);
    }
    m_values.clear();
    return m_filter.lastOutput();
}

} // namespace talvolink
