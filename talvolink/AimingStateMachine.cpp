#include "talvolink/AimingStateMachine.h"

#include "platform/time/Clock.h"

#include <cmath>
#include <utility>

namespace talvolink {

namespace {

constexpr LONG kSubDevice = 1; // Serial sensors are always sub-device 1.
constexpr int kDefaultSignalThreshold = 40;
constexpr int kDefaultPiezoThreshold = 30;
constexpr int kCalibrationThreshold = 20;
constexpr float kEnterScore = 1.0F; // A point scoring this marks when the aim entered the target.
constexpr float kAdaptScore = 7.0F; // A shot this good teaches the signal threshold.

// Pulls a raw value towards the previous one: small steps (jitter) are halved, large ones (real motion) pass.
float smooth(float value, float previous)
{
    const float step = value - previous;
    return value - 0.5F * step / (std::fabs(step) / 10.0F + 1.0F);
}

} // namespace

AimingStateMachine::AimingStateMachine(DeviceHost& host, std::unique_ptr<platform::serial::SerialPort> port)
    : CGenericTalvo(host, std::move(port)), m_session(host, *this, kSubDevice),
      m_signalThreshold(kDefaultSignalThreshold), m_piezoThreshold(kDefaultPiezoThreshold),
      m_rejectLength(host.sampleRate() / 4)
{
}

AimingStateMachine::~AimingStateMachine() = default;

void AimingStateMachine::PutPiezoSensitivity(LONG nSubDevice, LONG value)
{
    if (nSubDevice == kSubDevice) {
        m_piezoThreshold = value;
    }
}

LONG AimingStateMachine::GetPiezoSensitivity(LONG /*nSubDevice*/)
{
    return m_piezoThreshold;
}
LONG AimingStateMachine::GetSignalLevel(LONG /*nSubDevice*/)
{
    return m_lastLevel;
}
LONG AimingStateMachine::GetPiezoLevel(LONG /*nSubDevice*/)
{
    return m_lastPiezo;
}

void AimingStateMachine::BeginRecords(int /*count*/)
{
    m_session.dropPendingPoints();
}

void AimingStateMachine::OnRecord(const DeviceRecord& record)
{
    const int level = record.level;
    const int piezo = record.piezo;
    m_lastLevel = level;
    m_lastPiezo = piezo;
    const bool calibrating = host().subDevice(kSubDevice).calibrationMode;
    const int startThreshold = calibrating ? kCalibrationThreshold : m_signalThreshold * 4 / 5; // T1
    const int concludeThreshold = calibrating ? kCalibrationThreshold : m_signalThreshold;      // T2

    if (!m_session.hasAiming()) {
        if (level <= startThreshold) {
            if (m_belowCount == 0) {
                m_session.fireFinalConclusion();
            }
            ++m_belowCount;
        } else if (m_session.shotCount() == 0 || m_belowCount > host().sampleRate() / 2) {
            StartAiming();
        } else {
            m_belowCount = 0;
        }
        return;
    }
    if (!m_session.isOpen()) {
        return;
    }
    if (level < concludeThreshold) {
        ConcludeAiming();
        return;
    }
    if (!m_shotArmed) {
        if (++m_armingCount < m_rejectLength) {
            (void)AddCoordinates(record); // A concluding record ends here either way.
            return;
        }
        m_shotArmed = true;
    }
    if (AddCoordinates(record) && piezo >= m_piezoThreshold) {
        Shot(VARIANT_FALSE);
    }
}

void AimingStateMachine::StartAiming()
{
    if (!m_session.start()) {
        return; // Stays idle and tries again with the next record that qualifies.
    }
    m_shotArmed = true;
    m_levelBeforeShot = 0;
}

bool AimingStateMachine::AddCoordinates(const DeviceRecord& record)
{
    if (!m_session.countRecordAfterShot()) {
        ConcludeAiming();
        return false;
    }
    const int level = record.level;
    if (record.piezo < m_piezoThreshold) {
        m_levelBeforeShot = level;
    }

    // The sensor's axes sit at 45 degrees to the target's.
    const float u = static_cast<float>(record.x) - static_cast<float>(record.y);
    const float v = static_cast<float>(record.x) + static_cast<float>(record.y);
    const float smoothU = m_havePrevious ? smooth(u, m_previousU) : u;
    const float smoothV = m_havePrevious ? smooth(v, m_previousV) : v;
    m_previousU = u;
    m_previousV = v;
    m_havePrevious = true;

    if (level + 22 <= 0 || m_rangeDivisor <= 0) {
        // No scale for this point: keep its place in time without inventing a position.
        m_session.addInvalidPoint();
        return true;
    }
    // Hundredths of a millimetre: the spot's apparent size shrinks with the signal level.
    const double scale = (1000.0 / (level + 22)) * 100.0 / m_rangeDivisor;
    double x = scale * smoothU;
    double y = scale * smoothV;
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    switch (settings.sensorPosition) {
    case SensorTop:
        x = -x;
        y = -y;
        break;
    case SensorLeft:
        std::tie(x, y) = std::pair(-y, x);
        break;
    case SensorRight:
        std::tie(x, y) = std::pair(y, -x);
        break;
    case SensorBottom:
        break;
    }
    const LONG pointX = static_cast<LONG>(std::lround(x)) + settings.correctionX;
    const LONG pointY = static_cast<LONG>(std::lround(y)) + settings.correctionY;
    m_session.addPoint(pointX, pointY);
    if (!m_session.hasEntered()) {
        float score = 0.0F;
        if (scorePoint(static_cast<float>(x) / 100.0F, static_cast<float>(y) / 100.0F, &score) &&
            score >= kEnterScore) {
            m_session.enter();
        }
    }
    return true;
}

void AimingStateMachine::adaptSignalThreshold()
{
    const int remembered = std::exchange(m_levelBeforeShot, 0);
    LONG last = 0;
    LONG x = 0;
    LONG y = 0;
    if (remembered <= 0 || FAILED(trace()->get_Last(&last)) || FAILED(trace()->_GetPoint(last, &x, &y))) {
        return;
    }
    float score = 0.0F;
    if (scorePoint(static_cast<float>(x) / 100.0F, static_cast<float>(y) / 100.0F, &score) && score >= kAdaptScore) {
        m_signalThreshold = remembered * 2 / 3;
    }
}

void AimingStateMachine::Shot(VARIANT_BOOL missed)
{
    adaptSignalThreshold();
    addShotToAiming(missed);
}

void AimingStateMachine::addShotToAiming(VARIANT_BOOL missed)
{
    if (m_session.addShot(missed)) {
        m_shotArmed = false;
        m_armingCount = 0;
    }
}

void AimingStateMachine::ConcludeAiming()
{
    m_levelBeforeShot = 0; // The missed shots teach the threshold nothing.
    if (m_session.conclude()) {
        EndAiming();
    }
}

void AimingStateMachine::EndAiming()
{
    m_session.end();
    m_shotArmed = false;
    m_belowCount = 0;
    m_levelBeforeShot = 0;
    m_havePrevious = false;
}

void AimingStateMachine::FlushCoordinates()
{
    m_session.flushPoints();
}

void AimingStateMachine::ConcludeCurrentAiming(LONG nSubDevice)
{
    m_session.concludeCurrent(nSubDevice);
    EndAiming();
}

void AimingStateMachine::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
    m_signalThreshold = kDefaultSignalThreshold;
}

void AimingStateMachine::AddShot(VARIANT_BOOL /*vbUnlimited*/)
{
    if (m_session.isOpen()) {
        addShotToAiming(VARIANT_FALSE);
    }
}

bool AimingStateMachine::scorePoint(float x, float y, float* score) const
{
    const auto& event = host().subDevice(kSubDevice).event;
    return event && SUCCEEDED(event->GetPointScore(x, y, 1, score));
}

} // namespace talvolink
