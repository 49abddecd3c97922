#include "talvolink/serial/TalvoPavane.h"

#include "talvolink/serial/PavanePacket.h"
#include "talvolink/serial/PnpProbe.h"

#include "platform/kernel/Event.h"

#include <algorithm>

namespace talvolink {
namespace {

constexpr LONG kSubDevice = 1;
constexpr std::uint8_t kRangeCommand = 1;
constexpr std::uint8_t kRateCommand = 2;
constexpr std::uint8_t kRunCommand = 13;
constexpr std::uint8_t kPeriodCommand = 16;
// Start streaming, continuous mode, no averaging; three zeros stop the sensor.
constexpr std::uint8_t kStartParameters[3] = {1, 0, 0};
// The sensor's sample clock: the period command counts its ticks.
constexpr LONG kTicksPerSecond = 1250000;

// The largest extent of the event's target for sub-target 1, in millimetres.
float targetSize(IEventParams& event)
{
    platform::com::ComPtr<ITargetParams> target;
    if (FAILED(event.get_Target(1, target.put())) || !target) {
        return 0.0F;
    }
    float size = 0.0F;
    float black = 0.0F;
    if (SUCCEEDED(target->get_Black(&black)) && black > 0.0F) {
        size = black;
    }
    for (LONG score = 1; score <= 10; ++score) {
        float ring = 0.0F;
        if (SUCCEEDED(target->get_Ring(score, &ring))) {
            size = std::max(size, ring);
        }
    }
    if (size == 0.0F) {
        float width = 0.0F;
        float height = 0.0F;
        (void)target->get_FormWidth(&width); // 0 when missing
        (void)target->get_FormHeight(&height);
        size = std::max(width, height);
    }
    return size;
}

} // namespace

CTalvoPavane::CTalvoPavane(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : AimingStateMachine(host, std::move(port)), m_reader(*this, host),
      m_calibrationMode(host.subDevice(kSubDevice).calibrationMode)
{
}

CTalvoPavane::~CTalvoPavane() = default;

int CTalvoPavane::PacketLength()
{
    return static_cast<int>(kPavanePacketLength);
}
std::uint32_t CTalvoPavane::BaudRate()
{
    return 19200;
}
platform::serial::StopBits CTalvoPavane::StopBits()
{
    return platform::serial::StopBits::Two;
}
int CTalvoPavane::SequenceModulus()
{
    return 256;
}

bool CTalvoPavane::ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record)
{
    return ParsePavanePacket(packet, calibrating(), record);
}

CTalvoPavane::PortRate CTalvoPavane::RateFor(LONG sampleRate)
{
    if (sampleRate <= 100) {
        return {0, 9600};
    }
    if (sampleRate <= 200) {
        return {1, 19200};
    }
    if (sampleRate <= 400) {
        return {2, 38400};
    }
    return {3, 57600};
}

void CTalvoPavane::SetupPort()
{
    const LONG rate = std::max<LONG>(host().sampleRate(), 1);
    const PortRate portRate = RateFor(rate);
    BeginCommand(kRateCommand);
    (void)AddCommandByte(portRate.code);
    (void)SendCommand(); // a sensor that missed it stays silent, which the reader reports as a time-out
    if (platform::serial::SerialPort* serial = port()) {
        (void)serial->setSettings({portRate.baud, 8, platform::serial::Parity::None, platform::serial::StopBits::Two});
        (void)serial->purge(platform::serial::PurgeQueue::Input);
    }
    const auto period = static_cast<std::uint16_t>(kTicksPerSecond / rate);
    BeginCommand(kPeriodCommand);
    (void)AddCommandByte(static_cast<std::uint8_t>(period >> 8));
    (void)AddCommandByte(static_cast<std::uint8_t>(period & 0xFF));
    (void)SendCommand();
}

void CTalvoPavane::ApplyEventTarget()
{
    const auto& settings = host().subDevice(kSubDevice);
    float distance = 0.0F;
    if (!settings.event || FAILED(settings.event->get_Distance(&distance)) || distance <= 0.0F) {
        return; // nothing to scale by: points stay invalid until an event with a distance comes
    }
    const bool fiveMetres = settings.targetType == Target5m;
    const double magnification = fiveMetres ? 5.0 : 10.0;
    const double limit = fiveMetres ? 0.03 : 0.06;
    const double size = targetSize(*settings.event) / 1000.0;
    const bool nearRange = limit >= size * magnification / distance;
    setRangeDivisor(static_cast<int>((nearRange ? 1000.0 : 333.3) / distance));
    BeginCommand(kRangeCommand);
    (void)AddCommandByte(nearRange ? 1 : 0);
    (void)SendCommand();
}

bool CTalvoPavane::Start()
{
    if (platform::serial::SerialPort* serial = port()) {
        (void)serial->setLine(platform::serial::OutputLine::Dtr, platform::serial::LineLevel::On);
        (void)serial->setLine(platform::serial::OutputLine::Rts, platform::serial::LineLevel::On);
    }
    BeginCommand(kRunCommand);
    for (std::uint8_t parameter : kStartParameters) {
        (void)AddCommandByte(parameter);
    }
    (void)SendCommand();
    EndAiming();
    return true;
}

void CTalvoPavane::Stop()
{
    BeginCommand(kRunCommand);
    for (int i = 0; i < 3; ++i) {
        (void)AddCommandByte(0);
    }
    (void)SendCommand();
    if (isAimingOpen()) {
        ConcludeAiming();
    }
}

void CTalvoPavane::PutCalibrationMode()
{
    m_calibrationMode.store(host().subDevice(kSubDevice).calibrationMode);
}

bool CTalvoPavane::StartReader()
{
    return port() && startReaderThread(m_reader.body(*port()));
}

bool CTalvoPavane::IdentifyAgain()
{
    return m_reader.identifyAgain(port());
}

} // namespace talvolink
