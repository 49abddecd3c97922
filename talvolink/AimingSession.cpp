#include "talvolink/AimingSession.h"

#include "talvolink/DeviceHost.h"
#include "talvolink/DeviceModel.h"

#include "interfaces/talvodata/Guids.h"
#include "interfaces/talvodata/IShot.h"
#include "platform/com/ClassTable.h"
#include "platform/time/Clock.h"

#include <limits>
#include <utility>

namespace talvolink {

using platform::com::ComPtr;

namespace {

// No limit without an event.
LONG maxShotsPerAiming(const SubDeviceSettings& settings)
{
    LONG value = 0;
    if (!settings.event || FAILED(settings.event->get_MaxShotsPerAiming(&value))) {
        return -1;
    }
    return value;
}

LONG minShotsPerAiming(const SubDeviceSettings& settings)
{
    LONG value = 0;
    if (!settings.event || FAILED(settings.event->get_MinShotsPerAiming(&value))) {
        return 0;
    }
    return value;
}

ComPtr<IAimingAttr> attributesOf(IAiming& aiming)
{
    ComPtr<IAimingAttr> attributes;
    (void)aiming.get_Attr(attributes.put()); // Null on failure, checked by the callers.
    return attributes;
}

} // namespace

AimingSession::AimingSession(DeviceHost& host, CGenericTalvo& model, LONG subDevice, ShotHook beforeShotAnnounced)
    : m_host(host), m_model(model), m_subDevice(subDevice), m_beforeShotAnnounced(std::move(beforeShotAnnounced))
{
}

AimingSession::~AimingSession() = default;

bool AimingSession::start()
{
    if (m_aiming) {
        return false;
    }
    m_model.FlushCoordinates();
    ComPtr<IAiming> aiming;
    if (FAILED(CoCreateInstance(talvodata::CLSID_Aiming, nullptr, CLSCTX_ALL, IAiming::kIid, aiming.putVoid()))) {
        return false;
    }
    ComPtr<IAimingTrace> trace;
    const ComPtr<IAimingAttr> attributes = attributesOf(*aiming);
    if (FAILED(aiming->get_Trace(trace.put())) || !attributes) {
        return false;
    }
    const SubDeviceSettings& settings = m_host.subDevice(m_subDevice);
    (void)trace->put_MaxTimeBeforeShot(settings.maxTimeBeforeShot); // The control keeps it at 0.5 or more.
    (void)attributes->put_SampleRate(m_host.sampleRate());          // The control keeps it within 20 .. 500.
    if (settings.event) {
        (void)attributes->put_Event(settings.event.get()); // Only a null event is refused.
    }
    (void)attributes->put_StartTime(m_host.clock().wallNow()); // Cannot fail.
    m_aiming = aiming;
    m_trace = std::move(trace);
    m_shotCount = 0;
    m_recordsSinceShot = 0;
    m_host.fireStartAiming(m_subDevice, aiming.get());
    return isOpen() && m_aiming == aiming;
}

void AimingSession::addPoint(LONG x, LONG y)
{
    (void)m_trace->_Add(x, y); // The trace is writable until the aiming concludes.
    ++m_pendingPoints;
}

void AimingSession::addInvalidPoint()
{
    (void)m_trace->AddInvalid();
    ++m_pendingPoints;
}

bool AimingSession::hasEntered() const
{
    const ComPtr<IAimingAttr> attributes = attributesOf(*m_aiming);
    DATE enterTime = 0.0;
    return !attributes || FAILED(attributes->get_EnterTime(&enterTime)) || enterTime != 0.0;
}

void AimingSession::enter()
{
    if (!hasEntered()) {
        (void)attributesOf(*m_aiming)->put_EnterTime(m_host.clock().wallNow()); // Cannot fail.
    }
}

LONG AimingSession::recordsAfterShot() const
{
    // In single precision, so that 0.7 s at 100 per second is 70 records, not 69.
    const float records = static_cast<float>(m_host.sampleRate()) * m_host.subDevice(m_subDevice).maxTimeAfterShot;
    // A time too long for any count never concludes by count.
    if (!(records < static_cast<float>(std::numeric_limits<LONG>::max()))) {
        return std::numeric_limits<LONG>::max();
    }
    return static_cast<LONG>(records);
}

bool AimingSession::countRecordAfterShot()
{
    if (m_shotCount == 0) {
        return true;
    }
    if (m_recordsSinceShot == recordsAfterShot()) {
        return false;
    }
    ++m_recordsSinceShot;
    return true;
}

ComPtr<IShot> AimingSession::addShot(VARIANT_BOOL missed, std::optional<double> microphonePhase, bool unlimited)
{
    const ComPtr<IAiming> aiming = m_aiming;
    if (!aiming || (!unlimited && m_shotCount == maxShotsPerAiming(m_host.subDevice(m_subDevice)))) {
        return nullptr;
    }
    (void)m_trace->put_WrapEnabled(VARIANT_FALSE); // Keeps the samples before the shot from sliding away.
    ++m_shotCount;
    m_recordsSinceShot = 0;
    m_model.FlushCoordinates();
    ComPtr<IShot> shot;
    if (m_aiming != aiming) {
        return nullptr;
    }
    const HRESULT added =
        microphonePhase ? aiming->AddShot2(missed, *microphonePhase, shot.put()) : aiming->AddShot(missed, shot.put());
    if (FAILED(added) || !shot) {
        return nullptr;
    }
    const DATE now = m_host.clock().wallNow();
    (void)shot->put_ShotTime(now); // Cannot fail.
    enter();
    if (m_beforeShotAnnounced) {
        m_beforeShotAnnounced(*shot);
    }
    m_host.fireShot(m_subDevice, aiming.get(), shot.get());
    return shot;
}

bool AimingSession::conclude()
{
    if (!isOpen()) {
        return false;
    }
    // From here on the aiming takes no other step and nothing but this call lets it go.
    m_concluding = true;
    const ComPtr<IAiming> aiming = m_aiming;
    LONG points = 0;
    // An aiming that never had a point is a flicker of the signal, not a missed shot.
    if (SUCCEEDED(m_trace->get_Count(&points)) && points > 0) {
        const LONG minimum = minShotsPerAiming(m_host.subDevice(m_subDevice));
        while (m_shotCount < minimum) {
            const LONG before = m_shotCount;
            (void)addShot(VARIANT_TRUE);
            if (m_shotCount == before) {
                break; // The event's maximum is below its minimum.
            }
        }
    }
    (void)m_trace->put_ReadOnly(VARIANT_TRUE);
    m_model.FlushCoordinates();
    m_host.fireConcludeAiming(m_subDevice, aiming.get());
    release();
    m_finalConclusionPending = true;
    return true;
}

void AimingSession::concludeCurrent(LONG nSubDevice)
{
    m_model.FlushCoordinates();
    if (conclude()) {
        m_host.fireFinalConcludeAiming(nSubDevice);
    }
    end();
    if (!m_aiming) {
        m_shotCount = 0;
    }
}

void AimingSession::end()
{
    if (!m_aiming || m_concluding) {
        return;
    }
    const ComPtr<IAiming> aiming = m_aiming;
    m_model.FlushCoordinates();
    if (m_aiming == aiming) {
        release();
    }
}

void AimingSession::release()
{
    m_aiming = nullptr;
    m_trace = nullptr;
    m_concluding = false;
    m_recordsSinceShot = 0;
    m_pendingPoints = 0;
}

void AimingSession::flushPoints()
{
    if (m_aiming && m_pendingPoints > 0) {
        m_host.fireNewCoordinates(m_subDevice, m_aiming.get(), std::exchange(m_pendingPoints, 0));
    }
}

void AimingSession::fireFinalConclusion()
{
    if (std::exchange(m_finalConclusionPending, false)) {
        m_host.fireFinalConcludeAiming(m_subDevice);
    }
}

} // namespace talvolink
