#include "talvolink/qv/TalvoDeviceImageSensor.h"

#include "talvolink/Angle.h"
#include "talvolink/qv/QVRecord.h"
#include "talvolink/usb/Bytes.h"

#include "interfaces/talvodata/IAimingAttr.h"
#include "interfaces/talvodata/ITargetParams.h"
#include "platform/com/Bstr.h"
#include "platform/com/Variant.h"
#include "platform/gfx/Bitmap.h"
#include "platform/gfx/Picture.h"
#include "platform/gfx/PictureObject.h"
#include "platform/time/Clock.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <utility>

namespace talvolink {

using platform::com::Bstr;
using platform::com::ComPtr;
using platform::com::Variant;

namespace {

constexpr LONG kSubDevice = 1;
constexpr std::uintptr_t kInactivityTimer = 2;
constexpr WPARAM kSensorLost = 2; // kAppMessage: the image sensor went away
constexpr std::chrono::milliseconds kTimerInterval{10};
constexpr double kAngleCutoff = 0.05;
constexpr double kPositionCutoff = 0.25;
constexpr double kRipple = 0.5;
constexpr int kPoles = 2;
// A piezo level above this freezes the angle: the shot is on its way.
constexpr int kFreezeLevel = 100;
constexpr LONG kNoTargetValue = 0;
constexpr double kMaxTrackingSize = 5.0;
constexpr COLORREF kGreyStep = 65793; // Equal red, green and blue.

double recordDouble(const DeviceRecord& record, std::size_t offset)
{
    return bytes::get<double>(std::span(reinterpret_cast<const std::uint8_t*>(&record), sizeof record), offset);
}

std::uint8_t recordByte(const DeviceRecord& record, std::size_t offset)
{
    return reinterpret_cast<const std::uint8_t*>(&record)[offset];
}

struct Point {
    double x;
    double y;
};

Point rotate(double x, double y, double angle)
{
    return {x * std::cos(angle) - y * std::sin(angle), x * std::sin(angle) + y * std::cos(angle)};
}

ComPtr<ITargetParams> firstTarget(const SubDeviceSettings& settings)
{
    ComPtr<ITargetParams> target;
    if (settings.event) {
        (void)settings.event->get_Target(1, target.put()); // Null when the event has none.
    }
    return target;
}

std::optional<Variant> converted(const VARIANT& value, VARTYPE type)
{
    Variant copy = Variant::copyOf(value);
    if (FAILED(copy.changeType(type))) {
        return std::nullopt;
    }
    return copy;
}

std::optional<Variant> namedValue(IEventParams& event, const char* name)
{
    Variant value;
    if (FAILED(event.get_Value(Bstr(name).get(), value.put()))) {
        return std::nullopt;
    }
    return value;
}

} // namespace

CTalvoDeviceImageSensor::CTalvoDeviceImageSensor(DeviceHost& host, platform::usb::UsbTransport& usb,
                                                 std::string devicePath)
    : CGenericTalvo(host, nullptr), m_qv(usb, host.clock()),
      m_side(host, usb, [this] { postAppMessage(kAppMessage1, 1); }), m_devicePath(std::move(devicePath)),
      m_session(host, *this, kSubDevice)
{
    m_activity.renew(now());
    (void)m_angleFilter.Design(kAngleCutoff, FilterKind::LowPass, kRipple, kPoles); // Valid constants.
    (void)m_xFilter.Design(kPositionCutoff, FilterKind::LowPass, kRipple, kPoles);
    (void)m_yFilter.Design(kPositionCutoff, FilterKind::LowPass, kRipple, kPoles);
    m_detection.setDeadRecords(kDeadRecords);
    m_qv.eventLost.hook([this] { postAppMessage(kAppMessage, kSensorLost); });
}

CTalvoDeviceImageSensor::~CTalvoDeviceImageSensor() = default;

std::chrono::milliseconds CTalvoDeviceImageSensor::now() const
{
    return host().clock().steadyNow();
}

void CTalvoDeviceImageSensor::readTarget()
{
    const SubDeviceSettings& s = settings();
    if (!s.event) {
        return;
    }
    const auto target = namedValue(*s.event, "_qv_target");
    const auto number = target ? converted(target->get(), VT_I4) : std::nullopt;
    if (!number || number->get().lVal != kNoTargetValue) {
        return; // Another kind of target, or none: the settings stay.
    }
    const ComPtr<ITargetParams> face = firstTarget(s);
    float distance = 0.0F;
    float width = 0.0F;
    float height = 0.0F;
    float black = 0.0F;
    if (!face || FAILED(s.event->get_Distance(&distance)) || FAILED(face->get_FormWidth(&width)) ||
        FAILED(face->get_FormHeight(&height)) || FAILED(face->get_Black(&black))) {
        return;
    }
    if (black == 0.0F) {
        return;
    }
    double tracking = std::max(width, height) / 1000.0;
    if (const auto given = namedValue(*s.event, "_qv_target_tracking")) {
        if (const auto size = converted(given->get(), VT_R8);
            size && size->get().dblVal > 0.0 && size->get().dblVal <= kMaxTrackingSize) {
            tracking = size->get().dblVal;
        }
    }
    m_qv.setTarget(distance, black, tracking);
}

bool CTalvoDeviceImageSensor::Open()
{
    m_lost = false;
    m_targetFound = false;
    m_foundX = kNone;
    m_foundY = kNone;
    readTarget();
    if (!m_qv.Open(m_devicePath)) {
        host().setLastErrorText(m_qv.errorText());
        m_qv.Close();
        return false;
    }
    DeviceInformation& information = host().deviceInformation();
    information.serialSlots = {};
    std::ranges::copy(m_qv.serialNumber(), information.serialSlots[0].begin());
    (void)m_qv.Reset(m_foundX, m_foundY); // Always succeeds.
    (void)m_side.openMissing();
    openLink();
    setModelTimer(kInactivityTimer, kTimerInterval);
    Reconfigure();
    m_qv.eventSignal.hook([this](const DeviceRecord& record) { QueueRecord(record); });
    return Start();
}

bool CTalvoDeviceImageSensor::Close()
{
    const bool closed = CGenericTalvo::Close();
    m_qv.Close();
    m_side.close();
    return closed;
}

bool CTalvoDeviceImageSensor::GetValue(LONG index, VARIANT* result)
{
    Variant value;
    switch (index) {
    case 0:
        value = Variant::fromBool(m_qv.filterForeignShots());
        break;
    case 1:
        value = Variant::fromInt32(m_qv.hardwareVersion());
        break;
    case 2:
        value = Variant::fromInt32(m_qv.firmwareVersion());
        break;
    case 4:
        return framePicture(result);
    case 6:
        value = Variant::fromFloat(static_cast<float>(m_angle));
        break;
    case 7:
        value = Variant::fromBool(m_qv.ultraSensitiveTrigger());
        break;
    case 8:
        value = Variant::fromInt32(m_qv.peakLevel());
        break;
    case 9:
        value = Variant::fromInt32(m_qv.powerSupplyFrequencyMode());
        break;
    default:
        return false;
    }
    *result = value.detach();
    return true;
}

bool CTalvoDeviceImageSensor::PutValue(LONG index, const VARIANT& value)
{
    const VARTYPE type = index == 9 ? VT_I4 : VT_BOOL;
    const auto v = converted(value, type);
    if (!v || (index != 0 && index != 5 && index != 7 && index != 9)) {
        return false;
    }
    const bool on = type == VT_BOOL && v->get().boolVal != VARIANT_FALSE;
    switch (index) {
    case 0:
        m_qv.setFilterForeignShots(on);
        return true;
    case 5:
        m_qv.SetAutomaticExposure(on);
        return true;
    case 7:
        m_qv.setUltraSensitiveTrigger(on);
        return true;
    default:
        m_qv.SetPowerSupplyFrequencyMode(v->get().lVal);
        host().setSampleRate(m_qv.frameRate());
        return true;
    }
}

bool CTalvoDeviceImageSensor::framePicture(VARIANT* result) const
{
    const std::vector<std::uint8_t>& frame = m_qv.frame();
    platform::gfx::Bitmap bitmap{m_qv.frameWidth(), m_qv.frameHeight(), {}};
    if (frame.size() != static_cast<std::size_t>(bitmap.width) * static_cast<std::size_t>(bitmap.height) ||
        frame.empty()) {
        return false;
    }
    bitmap.pixels.reserve(frame.size());
    for (const std::uint8_t grey : frame) {
        bitmap.pixels.push_back(grey * kGreyStep);
    }
    auto picture = platform::gfx::PictureObject::create(platform::gfx::Picture::fromBitmap(std::move(bitmap)));
    *result = Variant::fromDispatch(picture.get()).detach();
    return true;
}

void CTalvoDeviceImageSensor::PutPiezoSensitivity(LONG nSubDevice, LONG value)
{
    if (nSubDevice == kSubDevice) {
        (void)m_qv.SetShotThreshold(static_cast<std::uint16_t>(value)); // Older sensors keep their own.
    }
}

LONG CTalvoDeviceImageSensor::GetPiezoSensitivity(LONG /*nSubDevice*/)
{
    return m_qv.shotThreshold();
}

LONG CTalvoDeviceImageSensor::GetSignalLevel(LONG /*nSubDevice*/)
{
    return 1;
}

LONG CTalvoDeviceImageSensor::GetPiezoLevel(LONG /*nSubDevice*/)
{
    return m_lastPiezo;
}

void CTalvoDeviceImageSensor::GetData(std::array<float, 9>& values)
{
    values.fill(0.0F);
    values[0] = m_targetFound ? 1.0F : 0.0F;
    values[1] = m_qv.trackingTaken() ? 1.0F : 0.0F;
    values[2] = m_qv.trackingDone() ? 1.0F : 0.0F;
    const double scale = m_qv.millimetresPerPixel();
    const Point offset = rotate(scale * (m_qv.centreX() - m_foundX), scale * (m_qv.centreY() - m_foundY), m_angle);
    values[3] = static_cast<float>(offset.x);
    values[4] = static_cast<float>(offset.y);
}

bool CTalvoDeviceImageSensor::GetTrigger(LONG /*nSubDevice*/, LONG index, LONG* value)
{
    return m_side.trigger(index, value);
}

void CTalvoDeviceImageSensor::BeginRecords(int count)
{
    m_session.dropPendingPoints();
    m_side.beginBatch(static_cast<std::size_t>(std::max(count, 0)));
    (void)m_side.openMissing();
}

void CTalvoDeviceImageSensor::OnRecord(const DeviceRecord& frameRecord)
{
    DeviceRecord record = frameRecord;
    if (const auto trigger = m_side.nextTrigger()) {
        record.trigger = *trigger;
    }
    m_lastPiezo = record.piezo;
    m_angle = record.angle;
    if (settings().calibrationMode) {
        onCalibrationRecord(record);
        return;
    }
    bool valid = record.aimValid != 0;
    if (valid) {
        const Point point = rotate(recordDouble(record, qvrecord::kX), recordDouble(record, qvrecord::kY), m_angle);
        const ComPtr<ITargetParams> face = firstTarget(settings());
        float width = 0.0F;
        float height = 0.0F;
        if (face && SUCCEEDED(face->get_FormWidth(&width)) && SUCCEEDED(face->get_FormHeight(&height))) {
            valid = std::abs(point.x) <= width / 2.0 && std::abs(point.y) <= height / 2.0;
        }
    }
    if (!m_session.hasAiming()) {
        if (!valid) {
            m_session.fireFinalConclusion();
            return;
        }
        if (!m_activity.mayStart(m_session.shotCount() > 0, now())) {
            return;
        }
        StartAiming();
    }
    if (!m_session.isOpen()) {
        return;
    }
    if (!valid) {
        if (m_activity.sinceActivity(now()) >= kInactivity) {
            ConcludeAiming();
        }
        return;
    }
    if (!m_detection.armed()) {
        m_detection.countDead();
        if (!m_detection.armed()) {
            (void)AddCoordinates(record);
            return;
        }
    }
    const LONG pointsBefore = m_tracePoints;
    if (AddCoordinates(record) && m_detection.fires(record.piezo, m_qv.shotThreshold(), pointsBefore)) {
        Shot(record);
    }
}

void CTalvoDeviceImageSensor::onCalibrationRecord(const DeviceRecord& record)
{
    if (recordByte(record, qvrecord::kKind) == 2) {
        m_targetFound = record.aimValid != 0;
        if (m_qv.automaticExposure()) {
            (void)m_qv.SendExposureChange(); // Nothing when no change waits.
        }
    }
    if (m_targetFound) {
        m_foundX = recordDouble(record, qvrecord::kPixelX);
        m_foundY = recordDouble(record, qvrecord::kPixelY);
    } else {
        m_foundX = kNone;
        m_foundY = kNone;
    }
    if (m_calibrationCountdown > 0) {
        --m_calibrationCountdown;
        return;
    }
    if (m_qv.trackingRequested() && !m_qv.trackingDone() && m_targetFound && record.piezo >= m_qv.shotThreshold()) {
        m_qv.TakeTrackingCentre(m_foundX, m_foundY);
    }
}

bool CTalvoDeviceImageSensor::AddCoordinates(const DeviceRecord& record)
{
    m_activity.renew(now());
    if (m_session.shotCount() > 0 && !m_session.countRecordAfterShot()) {
        ConcludeAiming();
        return false;
    }
    if (m_tracePoints == 0) {
        m_angleFilter.restart();
        m_xFilter.restart();
        m_yFilter.restart();
        m_frozenAngle = kNone;
    }
    if (std::isnan(m_frozenAngle) && (m_session.shotCount() > 0 || record.piezo > kFreezeLevel)) {
        m_frozenAngle = record.angle;
    }
    const double angle = std::isnan(m_frozenAngle) ? double{record.angle} : m_frozenAngle;
    if (m_tracePoints > 0) {
        // Keeps the angle continuous through the filter where it crosses +-pi.
        const double jump = angle - m_angleFilter.lastOutput();
        if (std::abs(jump) > kPi) {
            m_angleFilter.shiftHistory(std::round(jump / kTwoPi) * kTwoPi);
        }
    }
    const double filteredAngle = m_angleFilter.Step(angle);
    const double x = m_xFilter.Step(recordDouble(record, qvrecord::kX));
    const double y = m_yFilter.Step(recordDouble(record, qvrecord::kY));
    const Point point = rotate(x, y, filteredAngle);
    m_session.addPoint(static_cast<LONG>(point.x * 100.0), static_cast<LONG>(point.y * 100.0));
    ++m_tracePoints;
    m_side.recordTrigger(*m_session.trace(), record.trigger);
    float score = 0.0F;
    if (!m_session.hasEntered() && settings().event &&
        SUCCEEDED(settings().event->GetPointScore(static_cast<float>(point.x), static_cast<float>(point.y), kSubDevice,
                                                  &score)) &&
        score >= 1.0F) {
        m_session.enter();
    }
    return true;
}

void CTalvoDeviceImageSensor::StartAiming()
{
    m_tracePoints = 0;
    if (m_session.start()) {
        m_detection.arm();
        m_side.startTrace(*m_session.trace(), /*triggerData=*/false);
    }
}

void CTalvoDeviceImageSensor::Shot(const DeviceRecord& record)
{
    m_lastShotAngle = record.angle;
    m_haveShotReference = true;
    if (m_session.addShot(VARIANT_FALSE)) {
        m_detection.disarm();
    }
}

void CTalvoDeviceImageSensor::AddShot(VARIANT_BOOL vbUnlimited)
{
    if (!m_session.isOpen()) {
        return;
    }
    if (m_session.addShot(vbUnlimited)) {
        m_detection.disarm();
    }
}

void CTalvoDeviceImageSensor::ConcludeAiming()
{
    if (m_session.conclude()) {
        EndAiming();
    }
}

void CTalvoDeviceImageSensor::EndAiming()
{
    m_session.end();
    m_side.endTrace();
    m_detection.disarm();
    m_tracePoints = 0;
}

void CTalvoDeviceImageSensor::FlushCoordinates()
{
    m_session.flushPoints();
    m_side.flushBatch();
}

void CTalvoDeviceImageSensor::SetupPort()
{
    host().setSampleRate(m_qv.frameRate());
    m_detection.setDeadRecords(kDeadRecords);
}

bool CTalvoDeviceImageSensor::Start()
{
    EndAiming();
    m_activity.renew(now());
    return true;
}

void CTalvoDeviceImageSensor::Stop()
{
    if (m_session.isOpen()) {
        ConcludeAiming();
    }
    m_side.stop();
}

void CTalvoDeviceImageSensor::ConcludeCurrentAiming(LONG nSubDevice)
{
    m_session.concludeCurrent(nSubDevice);
    EndAiming();
}

void CTalvoDeviceImageSensor::Reset(LONG nSubDevice)
{
    ConcludeCurrentAiming(nSubDevice);
}

void CTalvoDeviceImageSensor::OnCorrectionChanged()
{
    const SubDeviceSettings& s = settings();
    const double x = s.correctionX / 100.0;
    const double y = s.correctionY / 100.0;
    if (m_haveShotReference) {
        m_qv.MoveTrackingCentre(x - m_keptCorrectionX, y - m_keptCorrectionY, m_lastShotAngle);
    }
    m_keptCorrectionX = x;
    m_keptCorrectionY = y;
}

void CTalvoDeviceImageSensor::PutCalibrationMode()
{
    const bool calibrating = settings().calibrationMode;
    m_qv.SetTracking(calibrating);
    if (calibrating) {
        m_calibrationCountdown = kCalibrationRecords;
    }
}

void CTalvoDeviceImageSensor::OnAppMessage(WPARAM wParam, LPARAM /*lParam*/)
{
    // Reported once; reconnecting is the user's (Reset hardware), as for a serial sensor.
    if (wParam != kSensorLost || std::exchange(m_lost, true)) {
        return;
    }
    const DispatchScope dispatch(host());
    ConcludeCurrentAiming(kSubDevice);
    host().fireDisconnected();
}

void CTalvoDeviceImageSensor::OnAppMessage1(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    m_side.onBeatMessage();
}

void CTalvoDeviceImageSensor::OnTimer(WPARAM /*wParam*/, LPARAM /*lParam*/)
{
    if (m_qv.settingsIncomplete() && now() - m_lastSettingsRetry >= kInactivity) {
        // Frames switched off by a sequence that failed part-way come back with the next one.
        m_lastSettingsRetry = now();
        m_qv.RequestSettings(m_qv.wantedSettings(), /*force=*/false);
    }
    if (!settings().calibrationMode && m_session.isOpen() && m_activity.sinceActivity(now()) >= kInactivity) {
        const DispatchScope dispatch(host()); // Its end may delete this model: nothing may follow.
        ConcludeAiming();
    }
}

} // namespace talvolink
