#include "talvolink/serial/TalvoBiathlon.h"

#include "talvolink/serial/BiathlonPacket.h"
#include "talvolink/serial/PnpProbe.h"

#include "interfaces/talvodata/IShot.h"
#include "platform/kernel/Event.h"

namespace talvolink {
namespace {

constexpr LONG kSubDevice = 1;
constexpr LONG kSampleRate = 100;
constexpr std::uint8_t kLightTargetCommand = 5;
constexpr std::uint8_t kStateResetCommand = 6;
constexpr std::uint8_t kStartCommand = 8;
constexpr std::uint8_t kStopCommand = 9;
// Start streaming, all five targets, no averaging.
constexpr std::uint8_t kStartParameters[3] = {1, 0x1F, 0};

} // namespace

CTalvoBiathlon::CTalvoBiathlon(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : CGenericTalvo(host, std::move(port)), m_reader(*this, host),
      m_session(host, *this, kSubDevice, [this](IShot& shot) { lightHitTarget(shot); })
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
    m_session.dropPendingPoints();
}

void CTalvoBiathlon::OnRecord(const DeviceRecord& record)
{
    m_lastLevel = record.level;
    m_lastPiezo = record.piezo;
    const bool valid = record.aimValid != 0;
    if (!m_session.hasAiming()) {
        if (valid) {
            StartAiming();
        } else {
            m_session.fireFinalConclusion();
        }
    }
    if (!m_session.isOpen()) {
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
    if (m_session.shotCount() > 0 && ++m_armingCount < m_session.recordsAfterShot()) {
        (void)AddCoordinates(record);
        return;
    }
    ConcludeAiming();
    m_session.fireFinalConclusion();
}

void CTalvoBiathlon::StartAiming()
{
    if (m_session.start()) { // Else it keeps waiting and tries again with the next valid record.
        m_armed = true;
    }
}

bool CTalvoBiathlon::AddCoordinates(const DeviceRecord& record)
{
    if (!m_session.countRecordAfterShot()) {
        ConcludeAiming();
        return false;
    }
    if (record.aimValid == 0) {
        m_session.addInvalidPoint();
        return true;
    }
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    // Tenths of a millimetre to the trace's hundredths.
    m_session.addPoint(record.x * 10 + settings.correctionX, record.y * 10 + settings.correctionY);
    m_session.enter();
    return true;
}

void CTalvoBiathlon::Shot(VARIANT_BOOL missed)
{
    if (m_session.addShot(missed)) {
        m_armed = false;
        m_armingCount = 0;
    }
}

void CTalvoBiathlon::lightHitTarget(IShot& shot)
{
    LONG area = 0;
    if (SUCCEEDED(shot.get_AreaIndex(&area)) && area > 0) {
        BeginCommand(kLightTargetCommand);
        (void)AddCommandByte(static_cast<std::uint8_t>(area));
        (void)SendCommand();
    }
}

void CTalvoBiathlon::ConcludeAiming()
{
    if (m_session.conclude()) {
        resetState();
    }
}

void CTalvoBiathlon::resetState()
{
    m_session.end();
    BeginCommand(kStateResetCommand);
    (void)SendCommand();
    m_forgetGeometry.store(true);
    m_armed = false;
    m_armingCount = 0;
}

void CTalvoBiathlon::FlushCoordinates()
{
    m_session.flushPoints();
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
    if (m_session.isOpen()) {
        ConcludeAiming();
    }
}

void CTalvoBiathlon::ConcludeCurrentAiming(LONG nSubDevice)
{
    m_session.concludeCurrent(nSubDevice);
    resetState();
}

void CTalvoBiathlon::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
}

void CTalvoBiathlon::AddShot(VARIANT_BOOL /*vbUnlimited*/)
{
    if (m_session.isOpen()) {
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
