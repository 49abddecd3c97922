#include "talvolink/usb/UsbSideSensors.h"

#include "talvolink/DeviceHost.h"

#include "interfaces/talvodata/IAimingTrace.h"
#include "platform/com/Bstr.h"

#include <utility>

namespace talvolink {

using platform::usb::InterfaceClass;

namespace {

constexpr LONG kSubDevice = 1;
constexpr std::uint8_t kStopRequest = 0x84;
constexpr std::uint8_t kSwitchRequest = 0x90;

bool openFirstPresent(platform::usb::UsbTransport& transport, UsbDevice& device, InterfaceClass interfaceClass)
{
    const auto found = transport.enumerate(interfaceClass);
    return found && !found.value().empty() && device.Open(found.value().front().path);
}

} // namespace

UsbSideSensors::UsbSideSensors(DeviceHost& host, platform::usb::UsbTransport& transport, std::function<void()> postBeat)
    : m_host(host), m_transport(transport), m_postBeat(std::move(postBeat)), m_trigger(transport),
      m_pulse(transport, host.clock())
{
    m_pulse.eventHeartBeat.hook([this](DATE beat) {
        {
            platform::kernel::LockGuard lock(m_beatLock);
            m_lastBeat = beat;
        }
        m_postBeat();
    });
}

bool UsbSideSensors::openMissing()
{
    bool triggerOpened = false;
    if (!m_trigger.isOpen() && openFirstPresent(m_transport, m_trigger, InterfaceClass::TriggerSensor)) {
        (void)m_trigger.SendVendorCommand(kSwitchRequest, 1, 0); // a sensor that misses it stays silent
        triggerOpened = true;
    }
    if (!m_pulse.isOpen() && openFirstPresent(m_transport, m_pulse, InterfaceClass::PulseSensor)) {
        {
            platform::kernel::LockGuard lock(m_beatLock);
            m_lastBeat = 0.0;
        }
        m_rate.reset();
    }
    return triggerOpened;
}

void UsbSideSensors::stop()
{
    (void)m_trigger.SendVendorCommand(kStopRequest, 0, 0); // closed or gone: nothing to stop
    (void)m_pulse.SendVendorCommand(kStopRequest, 0, 0);
}

void UsbSideSensors::close()
{
    // Each Close joins its reader, so no beat is posted once this returns.
    m_pulse.Close();
    m_trigger.Close();
}

void UsbSideSensors::beginBatch(std::size_t records)
{
    m_batch.begin(records);
}

std::optional<std::int16_t> UsbSideSensors::nextTrigger()
{
    if (!m_trigger.isOpen()) {
        return std::nullopt;
    }
    const std::int16_t value = TriggerValue(m_trigger.CurrentValue());
    m_batch.append(value);
    return value;
}

void UsbSideSensors::flushBatch()
{
    if (const LONG count = m_batch.count(); count > 0) {
        m_host.fireTrigger(kSubDevice, count); // its sinks read the values with GetTrigger
        m_batch.clear();
    }
}

void UsbSideSensors::startTrace(IAimingTrace& trace, bool triggerData)
{
    m_channel = 0;
    if (!m_trigger.isOpen() && !triggerData) {
        return;
    }
    LONG index = 0;
    const platform::com::Bstr name(u"_trigger");
    if (SUCCEEDED(trace.AddUserData(name.get(), &index))) {
        m_channel = index;
    }
}

void UsbSideSensors::recordTrigger(IAimingTrace& trace, std::int16_t value)
{
    LONG last = 0;
    if (m_channel != 0 && SUCCEEDED(trace.get_Last(&last))) {
        (void)trace.put_UserData(m_channel, last, value); // a trace without the point keeps no value
    }
}

void UsbSideSensors::onBeatMessage()
{
    DATE beat = 0.0;
    {
        platform::kernel::LockGuard lock(m_beatLock);
        beat = std::exchange(m_lastBeat, 0.0);
    }
    if (beat == 0.0) {
        return;
    }
    const DispatchScope dispatch(m_host);
    m_host.fireHeartBeat(kSubDevice, 0, beat);
    if (const auto rate = m_rate.onBeat(beat)) {
        m_host.firePulseChanged(kSubDevice, *rate);
    }
}

} // namespace talvolink
