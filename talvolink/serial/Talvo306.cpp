#include "talvolink/serial/Talvo306.h"

#include "talvolink/serial/PavanePacket.h"

#include "platform/com/Bstr.h"
#include "platform/time/Clock.h"

namespace talvolink {
namespace {

constexpr LONG kSubDevice = 1;

} // namespace

CTalvo306::CTalvo306(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : CTalvoPavane_s(host, std::move(port))
{
}

CTalvo306::~CTalvo306() = default;

int CTalvo306::PacketLength()
{
    return static_cast<int>(k306PacketLength);
}
std::uint32_t CTalvo306::BaudRate()
{
    return 38400;
}
int CTalvo306::SequenceModulus()
{
    return 16;
}
bool CTalvo306::PulseAvailable()
{
    return true;
}
bool CTalvo306::TriggerControlAvailable()
{
    return true;
}

bool CTalvo306::ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record)
{
    return Parse306Packet(packet, calibrating(), record);
}

CTalvoPavane::PortRate CTalvo306::RateFor(LONG sampleRate)
{
    if (sampleRate <= 100) {
        return {0, 19200};
    }
    if (sampleRate <= 200) {
        return {1, 38400};
    }
    return {2, 57600};
}

void CTalvo306::ProcessRecords(std::span<const DeviceRecord> records)
{
    m_triggers.assign(records.size(), 0);
    m_triggerCount = 0;
    CTalvoPavane_s::ProcessRecords(records);
    m_triggers.clear();
    m_triggerCount = 0;
}

void CTalvo306::OnRecord(const DeviceRecord& record)
{
    PulseDetector::Events events;
    events.heartBeat = [this](DATE trough, DATE beat) { host().fireHeartBeat(kSubDevice, trough, beat); };
    events.pulseChanged = [this](LONG rate) { host().firePulseChanged(kSubDevice, rate); };
    m_pulse.Step(record.pulse, host().sampleRate(), host().clock().wallNow(), events);
    CTalvoPavane_s::OnRecord(record);
    if (m_triggerCount < m_triggers.size()) {
        m_triggers[m_triggerCount++] = record.trigger;
    }
}

void CTalvo306::FlushCoordinates()
{
    CTalvoPavane_s::FlushCoordinates();
    if (m_triggerCount > 0) {
        host().fireTrigger(kSubDevice, static_cast<LONG>(m_triggerCount));
        m_triggerCount = 0;
    }
}

bool CTalvo306::GetTrigger(LONG /*nSubDevice*/, LONG index, LONG* value)
{
    if (!value || index < 0 || static_cast<std::size_t>(index) >= m_triggerCount) {
        return false;
    }
    *value = m_triggers[static_cast<std::size_t>(index)];
    return true;
}

void CTalvo306::StartAiming()
{
    CTalvoPavane_s::StartAiming();
    m_triggerChannel = 0;
    if (aiming() && trace()) {
        LONG channel = 0;
        if (SUCCEEDED(trace()->AddUserData(platform::com::Bstr(u"_trigger").get(), &channel))) {
            m_triggerChannel = channel;
        }
    }
}

bool CTalvo306::AddCoordinates(const DeviceRecord& record)
{
    if (!CTalvoPavane_s::AddCoordinates(record)) {
        return false;
    }
    LONG last = 0;
    if (m_triggerChannel > 0 && SUCCEEDED(trace()->get_Last(&last))) {
        (void)trace()->put_UserData(m_triggerChannel, last, record.trigger); // the trace is writable while open
    }
    return true;
}

} // namespace talvolink
