#include "TalvoBiathlon.h"

#include "talvolink/AimingRecording.h"
#include "talvolink/serial/BiathlonPacket.h"
#include "talvolink/serial/PnpProbe.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ClassTable.h"
#include "platform/kernel/Event.h"
#include "platform/time/Clock.h"

#include <utility>

namespace talvolink {
namespace {

using platform::com::ComPtr;

constexpr LONG kSubDevice = 1;
constexpr LONG kSampleRate = 100;
constexpr std::uint8_t kLightTargetCommand = 5;
constexpr std::uint8_t kStateResetCommand = 6;
constexpr std::uint8_t kStartCommand = 8;
constexpr std::uint8_t kStopCommand = 9;
// Start streaming, all five targets, no averaging.
constexpr std::uint8_t kStartParameters[3] = {1, 0x1F, 0};

ComPtr<IAimingAttr> attributesOf(IAiming* aiming)
{
    ComPtr<IAimingAttr> attributes;
    if (aiming) {
        (void)aiming->get_Attr(attributes.put()); // null on failure, checked by the callers
    }
    return attributes;
}

} // namespace

CTalvoBiathlon::CTalvoBiathlon(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : CGenericTalvo(host, std::move(port)), m_reader(*this, host)
{
}

CTalvoBiathlon::~CTalvoBiathlon() = default;

int CTalvoBiathlon::PacketLength()
{
    return static_cast<int>(kBiathlonPacketLength);
}
std::uint32_t CTalvoBiathlon::BaudRate()
{
    return 57600;
}
platform::serial::StopBits CTalvoBiathlon::StopBits()
{
    return platform::serial::StopBits::Two;
}
int CTalvoBiathlon::SequenceModulus()
{
    return 32;
}

void CTalvoBiathlon::PutPiezoSensitivity(LONG nSubDevice, LONG value)
{
    if (nSubDevice == kSubDevice) {
        m_piezoThreshold.store(static_cast<int>(value));
    }
}

LONG CTalvoBiathlon::GetPiezoSensitivity(LONG /*nSubDevice*/)
{
    return m_piezoThreshold.load();
}
LONG CTalvoBiathlon::GetSignalLevel(LONG /*nSubDevice*/)
{
    return m_lastLevel;
}
LONG CTalvoBiathlon::GetPiezoLevel(LONG /*nSubDevice*/)
{
    return m_lastPiezo;
}

bool CTalvoBiathlon::ParsePacket(std::span<const std::uint8_t> packet, DeviceRecord& record)
{
    const std::optional<BiathlonPacket> decoded = DecodeBiathlonPacket(packet);
    if (!decoded) {
        return false; // framing hands over whole packets only
    }
    if (m_forgetGeometry.exchange(false)) {
        m_geometry.forget();
    }
    record.sequence = decoded->sequence;
    record.piezo = static_cast<std::int16_t>(decoded->piezo);
    record.pulse = static_cast<std::int16_t>(decoded->value21);
    record.trigger = static_cast<std::int16_t>(decoded->value23);
    if (decoded->checkHolds) {
        m_geometry.Compute(*decoded, m_piezoThreshold.load(), record);
    }
    return true;
}

void CTalvoBiathlon::BeginRecords(int /*count*/)
{
    m_pendingPoints = 0;
}

void CTalvoBiathlon::OnRecord(const DeviceRecord& record)
{
    m_lastLevel = record.level;
    m_lastPiezo = record.piezo;
    const bool valid = record.aimValid != 0;
    if (m_waitingForStart) {
        if (valid) {
            StartAiming();
        } else if (m_finalConclusionPending) {
            m_finalConclusionPending = false;
            host().fireFinalConcludeAiming(kSubDevice);
        }
    }
    if (!m_aimingOpen) {
        return;
    }
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    if (valid) {
        if (!m_armed) {
            ++m_armingCount;
            if (static_cast<double>(host().sampleRate()) * settings.piezoRejectInterval > m_armingCount) {
                (void)AddCoordinates(record);
                return;
            }
            m_armed = true;
        }
        if (AddCoordinates(record) && record.piezo >= m_piezoThreshold.load()) {
            Shot(VARIANT_FALSE);
        }
        return;
    }
    // Lost sight of the plate: the follow-through after a shot goes on for a while, anything else ends the aiming.
    if (m_shotCount > 0 && ++m_armingCount < recordsAfterShot()) {
        (void)AddCoordinates(record);
        return;
    }
    ConcludeAiming();
    m_finalConclusionPending = false;
    host().fireFinalConcludeAiming(kSubDevice);
}

LONG CTalvoBiathlon::recordsAfterShot() const
{
    return static_cast<LONG>(static_cast<double>(host().sampleRate()) *
                             static_cast<double>(host().subDevice(kSubDevice).maxTimeAfterShot));
}

void CTalvoBiathlon::StartAiming()
{
    FlushCoordinates();
    m_trace = nullptr;
    if (!startRecordedAiming(host(), kSubDevice, m_aiming, m_trace)) {
        return; // keeps waiting and tries again with the next valid record
    }
    host().fireStartAiming(kSubDevice, m_aiming.get());
    m_waitingForStart = false;
    m_armed = true;
    m_aimingOpen = true;
    m_shotCount = 0;
}

bool CTalvoBiathlon::AddCoordinates(const DeviceRecord& record)
{
    if (m_shotCount > 0 && m_recordsSinceShot == recordsAfterShot()) {
        ConcludeAiming();
        return false;
    }
    if (m_shotCount > 0) {
        ++m_recordsSinceShot;
    }
    if (record.aimValid != 0) {
        const SubDeviceSettings& settings = host().subDevice(kSubDevice);
        // Tenths of a millimetre to the trace's hundredths.
        (void)m_trace->_Add(record.x * 10 + settings.correctionX, record.y * 10 + settings.correctionY);
        ComPtr<IAimingAttr> attributes = attributesOf(m_aiming.get());
        DATE enterTime = 0.0;
        if (attributes && SUCCEEDED(attributes->get_EnterTime(&enterTime)) && enterTime == 0.0) {
            (void)attributes->put_EnterTime(host().clock().wallNow());
        }
    } else {
        (void)m_trace->AddInvalid();
    }
    ++m_pendingPoints;
    return true;
}

void CTalvoBiathlon::Shot(VARIANT_BOOL missed)
{
    LONG maximum = -1; // no limit without an event
    const auto& event = host().subDevice(kSubDevice).event;
    if (event) {
        (void)event->get_MaxShotsPerAiming(&maximum);
    }
    if (m_shotCount == maximum) {
        return;
    }
    (void)m_trace->put_WrapEnabled(VARIANT_FALSE); // keeps the hold before the shot from sliding away
    ++m_shotCount;
    m_recordsSinceShot = 0;
    FlushCoordinates();
    ComPtr<IShot> shot = addRecordedShot(host(), *m_aiming, missed);
    if (!shot) {
        return;
    }
    LONG area = 0;
    if (SUCCEEDED(shot->get_AreaIndex(&area)) && area > 0) {
        BeginCommand(kLightTargetCommand); // the plate lights the target hit
        (void)AddCommandByte(static_cast<std::uint8_t>(area));
        (void)SendCommand();
    }
    host().fireShot(kSubDevice, m_aiming.get(), shot.get());
    m_armed = false;
    m_armingCount = 0;
}

void CTalvoBiathlon::ConcludeAiming()
{
    LONG minimum = 0;
    const auto& event = host().subDevice(kSubDevice).event;
    if (event) {
        (void)event->get_MinShotsPerAiming(&minimum);
    }
    LONG points = 0;
    // An aiming that never had a point gets no missed shots; a maximum below the minimum ends the filling.
    if (SUCCEEDED(m_trace->get_Count(&points)) && points > 0) {
        while (m_shotCount < minimum) {
            const LONG before = m_shotCount;
            Shot(VARIANT_TRUE);
            if (m_shotCount == before) {
                break;
            }
        }
    }
    (void)m_trace->put_ReadOnly(VARIANT_TRUE);
    FlushCoordinates();
    host().fireConcludeAiming(kSubDevice, m_aiming.get());
    resetState();
    m_finalConclusionPending = true;
}

void CTalvoBiathlon::resetState()
{
    FlushCoordinates();
    m_aiming = nullptr;
    m_trace = nullptr;
    BeginCommand(kStateResetCommand);
    (void)SendCommand();
    m_forgetGeometry.store(true);
    m_armed = false;
    m_aimingOpen = false;
    m_recordsSinceShot = 0;
    m_armingCount = 0;
    m_pendingPoints = 0;
    m_waitingForStart = true;
}

void CTalvoBiathlon::FlushCoordinates()
{
    if (m_aimingOpen && m_pendingPoints > 0) {
        host().fireNewCoordinates(kSubDevice, m_aiming.get(), std::exchange(m_pendingPoints, 0));
    }
}

void CTalvoBiathlon::SetupPort()
{
    host().setSampleRate(kSampleRate);
}

bool CTalvoBiathlon::Start()
{
    if (platform::serial::SerialPort* serial = port()) {
        (void)serial->setLine(platform::serial::OutputLine::Dtr, platform::serial::LineLevel::On);
        (void)serial->setLine(platform::serial::OutputLine::Rts, platform::serial::LineLevel::On);
        (void)serial->purge(platform::serial::PurgeQueue::Input);
    }
    BeginCommand(kStartCommand);
    for (std::uint8_t parameter : kStartParameters) {
        (void)AddCommandByte(parameter);
    }
    (void)SendCommand();
    resetState();
    return true;
}

void CTalvoBiathlon::Stop()
{
    BeginCommand(kStopCommand);
    (void)SendCommand();
    if (m_aimingOpen) {
        ConcludeAiming();
    }
}

void CTalvoBiathlon::ConcludeCurrentAiming(LONG nSubDevice)
{
    FlushCoordinates();
    if (m_aimingOpen) {
        ConcludeAiming();
        host().fireFinalConcludeAiming(nSubDevice);
    }
    resetState();
    m_shotCount = 0;
    m_armingCount = 0;
}

void CTalvoBiathlon::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
}

void CTalvoBiathlon::AddShot(VARIANT_BOOL /*vbUnlimited*/)
{
    if (m_aimingOpen) {
        Shot(VARIANT_FALSE);
    }
}

bool CTalvoBiathlon::StartReader()
{
    return port() && startReaderThread(m_reader.body(*port()));
}

bool CTalvoBiathlon::IdentifyAgain()
{
    return m_reader.identifyAgain(port());
}

} // namespace talvolink
