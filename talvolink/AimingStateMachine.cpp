#include "talvolink/AimingStateMachine.h"

#include "talvolink/AimingRecording.h"

#include "interfaces/talvodata/Guids.h"
#include "platform/com/ClassTable.h"
#include "platform/time/Clock.h"

#include <cmath>
#include <utility>

namespace talvolink {

using platform::com::ComPtr;

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
    : CGenericTalvo(host, std::move(port)), m_signalThreshold(kDefaultSignalThreshold),
      m_piezoThreshold(kDefaultPiezoThreshold), m_rejectLength(host.sampleRate() / 4)
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
    m_pendingPoints = 0;
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

    if (m_idle) {
        if (level <= startThreshold) {
            if (m_belowCount == 0 && m_finalConclusionPending) {
                m_finalConclusionPending = false;
                host().fireFinalConcludeAiming(kSubDevice);
            }
            ++m_belowCount;
        } else if (m_shotCount == 0 || m_belowCount > host().sampleRate() / 2) {
            StartAiming();
        } else {
            m_belowCount = 0;
        }
        return;
    }
    if (!m_aimingOpen) {
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
    FlushCoordinates();
    m_trace = nullptr;
    if (!startRecordedAiming(host(), kSubDevice, m_aiming, m_trace)) {
        return; // Stays idle and tries again with the next record that qualifies.
    }
    host().fireStartAiming(kSubDevice, m_aiming.get());
    m_idle = false;
    m_aimingOpen = true;
    m_shotArmed = true;
    m_shotCount = 0;
    m_levelBeforeShot = 0;
}

bool AimingStateMachine::AddCoordinates(const DeviceRecord& record)
{
    const SubDeviceSettings& settings = host().subDevice(kSubDevice);
    // In single precision, so that 0.7 s at 100 per second is 70 records, not 69.
    const int recordsAfterShot = static_cast<int>(static_cast<float>(host().sampleRate()) * settings.maxTimeAfterShot);
    if (m_shotCount > 0 && m_recordsSinceShot == recordsAfterShot) {
        ConcludeAiming();
        return false;
    }
    const int level = record.level;
    if (record.piezo < m_piezoThreshold) {
        m_levelBeforeShot = level;
    }
    if (m_shotCount > 0) {
        ++m_recordsSinceShot;
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
        (void)m_trace->AddInvalid();
        ++m_pendingPoints;
        return true;
    }
    // Hundredths of a millimetre: the spot's apparent size shrinks with the signal level.
    const double scale = (1000.0 / (level + 22)) * 100.0 / m_rangeDivisor;
    double x = scale * smoothU;
    double y = scale * smoothV;
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
    (void)m_trace->_Add(pointX, pointY); // The trace is writable until the aiming concludes.

    ComPtr<IAimingAttr> attributes;
    DATE enterTime = 0.0;
    if (SUCCEEDED(m_trace->get_Attr(attributes.put())) && attributes &&
        SUCCEEDED(attributes->get_EnterTime(&enterTime)) && enterTime == 0.0) {
        float score = 0.0F;
        if (scorePoint(static_cast<float>(x) / 100.0F, static_cast<float>(y) / 100.0F, &score) &&
            score >= kEnterScore) {
            (void)attributes->put_EnterTime(host().clock().wallNow());
        }
    }
    ++m_pendingPoints;
    return true;
}

void AimingStateMachine::adaptSignalThreshold()
{
    const int remembered = std::exchange(m_levelBeforeShot, 0);
    LONG last = 0;
    LONG x = 0;
    LONG y = 0;
    if (remembered <= 0 || FAILED(m_trace->get_Last(&last)) || FAILED(m_trace->_GetPoint(last, &x, &y))) {
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
    if (m_shotCount == maxShotsPerAiming()) {
        return;
    }
    (void)m_trace->put_WrapEnabled(VARIANT_FALSE); // Keeps the samples before the shot from sliding away.
    ++m_shotCount;
    m_recordsSinceShot = 0;
    FlushCoordinates();
    ComPtr<IShot> shot = addRecordedShot(host(), *m_aiming, missed);
    if (!shot) {
        return;
    }
    host().fireShot(kSubDevice, m_aiming.get(), shot.get());
    m_shotArmed = false;
    m_armingCount = 0;
}

void AimingStateMachine::ConcludeAiming()
{
    m_levelBeforeShot = 0;
    LONG points = 0;
    // An aiming that never had a point is a flicker of the signal, not a missed shot.
    if (SUCCEEDED(m_trace->get_Count(&points)) && points > 0) {
        const LONG minimum = minShotsPerAiming();
        while (m_shotCount < minimum) {
            const LONG before = m_shotCount;
            Shot(VARIANT_TRUE);
            if (!m_aimingOpen) {
                return; // A sink closed the device, which concluded the aiming already.
            }
            if (m_shotCount == before) {
                break; // The event's maximum is below its minimum.
            }
        }
    }
    (void)m_trace->put_ReadOnly(VARIANT_TRUE);
    FlushCoordinates();
    host().fireConcludeAiming(kSubDevice, m_aiming.get());
    EndAiming();
    m_finalConclusionPending = true;
}

void AimingStateMachine::EndAiming()
{
    FlushCoordinates();
    m_aiming = nullptr;
    m_trace = nullptr;
    m_aimingOpen = false;
    m_shotArmed = false;
    m_belowCount = 0;
    m_recordsSinceShot = 0;
    m_levelBeforeShot = 0;
    m_havePrevious = false;
    m_idle = true;
}

void AimingStateMachine::FlushCoordinates()
{
    if (m_aimingOpen && m_pendingPoints > 0) {
        const LONG count = std::exchange(m_pendingPoints, 0);
        host().fireNewCoordinates(kSubDevice, m_aiming.get(), count);
    }
}

void AimingStateMachine::ConcludeCurrentAiming(LONG nSubDevice)
{
    FlushCoordinates();
    if (m_aimingOpen) {
        ConcludeAiming();
        host().fireFinalConcludeAiming(nSubDevice);
    }
    EndAiming();
    m_shotCount = 0;
}

void AimingStateMachine::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
    m_signalThreshold = kDefaultSignalThreshold;
}

void AimingStateMachine::AddShot(VARIANT_BOOL /*vbUnlimited*/)
{
    if (m_aimingOpen) {
        addShotToAiming(VARIANT_FALSE);
    }
}

bool AimingStateMachine::scorePoint(float x, float y, float* score) const
{
    const auto& event = host().subDevice(kSubDevice).event;
    return event && SUCCEEDED(event->GetPointScore(x, y, 1, score));
}

LONG AimingStateMachine::maxShotsPerAiming() const
{
    LONG value = 0;
    const auto& event = host().subDevice(kSubDevice).event;
    if (!event || FAILED(event->get_MaxShotsPerAiming(&value))) {
        return -1; // No limit.
    }
    return value;
}

LONG AimingStateMachine::minShotsPerAiming() const
{
    LONG value = 0;
    const auto& event = host().subDevice(kSubDevice).event;
    if (!event || FAILED(event->get_MinShotsPerAiming(&value))) {
        return 0;
    }
    return value;
}

} // namespace talvolink
