#pragma once

#include "talvolink/usb/UsbAimingRules.h"
#include "talvolink/usb/UsbPulseSensor.h"
#include "talvolink/usb/UsbTriggerSensor.h"

#include "platform/kernel/Mutex.h"

#include <functional>
#include <optional>

struct IAimingTrace;

namespace talvolink {

class DeviceHost;

/// The trigger and pulse sensors that may join a sensor model: opened when they turn up, the trigger pressure
/// carried by each record, announced per batch and kept in the trace's "_trigger" channel, and the heart beats
/// turned into the pulse rate on the control's thread.
/// Thread rule: owner (control's) thread, except the pulse sensor's reader, which only stores the beat and posts.
class UsbSideSensors {
public:
    /// `postBeat` asks the owner thread, from the pulse sensor's reader, to run onBeatMessage.
    UsbSideSensors(DeviceHost& host, platform::usb::UsbTransport& transport, std::function<void()> postBeat);
    UsbSideSensors(const UsbSideSensors&) = delete;
    UsbSideSensors& operator=(const UsbSideSensors&) = delete;

    bool triggerOpen() const { return m_trigger.isOpen(); }
    bool pulseOpen() const { return m_pulse.isOpen(); }
    /// Opens the first present sensor of each kind not open yet: the trigger sensor is started, the pulse state
    /// cleared. Either may be missing. True when the trigger sensor opened now.
    bool openMissing();
    /// Asks both sensors to stop sending.
    void stop();
    void close();

    /// A batch of up to `records` trigger values begins.
    void beginBatch(std::size_t records);
    /// The trigger sensor's value for the next record, kept for the batch; none without a trigger sensor.
    std::optional<std::int16_t> nextTrigger();
    /// A trigger value that came with the record itself.
    void appendTrigger(std::int16_t value) { m_batch.append(value); }
    /// The batch's value at `index` (from 0), while its Trigger event runs.
    bool trigger(LONG index, LONG* value) const { return m_batch.value(index, value); }
    /// Fires Trigger with the batch's count when it holds values; the batch then starts again.
    void flushBatch();

    /// A new trace gets the "_trigger" channel when a trigger sensor is open or `triggerData` (the sensor's own
    /// records carry trigger values).
    void startTrace(IAimingTrace& trace, bool triggerData);
    /// Writes the value at the trace's last point when the trace has the channel.
    void recordTrigger(IAimingTrace& trace, std::int16_t value);
    void endTrace() { m_channel = 0; }

    /// The posted beat: HeartBeat, and PulseChanged when the rate from the last four beats changes.
    void onBeatMessage();

private:
    DeviceHost& m_host;
    platform::usb::UsbTransport& m_transport;
    const std::function<void()> m_postBeat;
    platform::kernel::Mutex m_beatLock;
    DATE m_lastBeat TALVO_GUARDED_BY(m_beatLock) = 0.0;
    PulseRate m_rate;
    TriggerBatch m_batch;
    LONG m_channel = 0;
    // Last, so that their readers end first.
    UsbTriggerSensor m_trigger;
    UsbPulseSensor m_pulse;
};

} // namespace talvolink
