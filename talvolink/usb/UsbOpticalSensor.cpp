#include "talvolink/usb/UsbOpticalSensor.h"

#include "talvolink/usb/Bytes.h"
#include "talvolink/usb/DeviceRequests.h"

#include "talvolink/Angle.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace talvolink {

using platform::kernel::LockGuard;
using platform::kernel::RecursiveMutex;

namespace {

constexpr std::uint8_t kRequestVersion = 0x90;
constexpr std::uint8_t kRequestSerialNumber = 0x8B;
constexpr std::uint8_t kRequestShotReference = 0x85;

constexpr double kMinIntensity = 20.0;    // a quadrant below this sees no spot
constexpr double kNormalisedSum = 2000.0; // bright spots are scaled to this sum
constexpr double kNormaliseAbove = 200.0;
constexpr double kChannelUnit = 102400.0; // raw channel counts per intensity unit
constexpr double kCounterTicks = 400.0;   // counter ticks per record of the newer firmware
constexpr double kBitsPerRecord = 200.0;  // shot bits per record of the older firmware
constexpr std::size_t kShotBitsOffset = 64;
constexpr std::size_t kShotBitsLength = 25;
constexpr std::size_t kCounterOffset = 89;

constexpr double kCutoff = 0.05;
constexpr double kRipple = 0.5;
constexpr int kPoles = 2;

struct Spot {
    double dx = 0.0;
    double dy = 0.0;
    double sum = 0.0;
};

Spot spotOf(const double* q)
{
    Spot spot{(q[2] + q[3]) - (q[0] + q[1]), (q[2] + q[1]) - (q[3] + q[0]), q[0] + q[1] + q[2] + q[3]};
    if (spot.sum > kNormaliseAbove) {
        spot.dx *= kNormalisedSum / spot.sum;
        spot.dy *= kNormalisedSum / spot.sum;
    }
    return spot;
}

void putShot(OpticalSample& block, double value, float shotTime)
{
    bytes::put(std::span(block), optical::kShotValue, value);
    bytes::put(std::span(block), optical::kShotTime, shotTime);
}

} // namespace

UsbOpticalSensor::UsbOpticalSensor(platform::usb::UsbTransport& transport) : UsbDevice(transport)
{
    // Older firmware sends bare records until Initialize has read the version.
    setTaggedBlocks(false);
}

void UsbOpticalSensor::setSensorKind(int kind)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_sensorKind = kind;
}

void UsbOpticalSensor::setCalibrationScale(double scale)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_calibrationScale = scale;
}

void UsbOpticalSensor::setNominalDistance(double distance)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_nominalDistance = distance;
}

double UsbOpticalSensor::nominalDistance() const
{
    LockGuard<RecursiveMutex> lock(requestLock());
    return m_nominalDistance;
}

void UsbOpticalSensor::setPiezoSensitivity(long sensitivity)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_piezoSensitivity = sensitivity;
}

long UsbOpticalSensor::piezoSensitivity() const
{
    LockGuard<RecursiveMutex> lock(requestLock());
    return m_piezoSensitivity;
}

void UsbOpticalSensor::setParity(int parity)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    m_parity = parity;
}

int UsbOpticalSensor::parity() const
{
    LockGuard<RecursiveMutex> lock(requestLock());
    return m_parity;
}

bool UsbOpticalSensor::SendShotReference(std::uint16_t value)
{
    LockGuard<RecursiveMutex> lock(requestLock());
    if (value == m_lastShotReference.load()) {
        return true;
    }
    if (!SendVendorCommand(kRequestShotReference, value, 0)) {
        return false;
    }
    m_lastShotReference.store(value);
    return true;
}

bool UsbOpticalSensor::Initialize()
{
    const FirmwareVersion version = ReadFirmwareVersion(*this, kRequestVersion).value_or(FirmwareVersion{1, 1});
    m_major = version.major;
    m_minor = version.minor;
    if (!ReadSerialNumber(*this, kRequestSerialNumber, m_serialNumber)) {
        return false;
    }
    setTaggedBlocks(m_major > 4 || m_minor > 9);
    (void)m_scaleFilter.Design(kCutoff, FilterKind::LowPass, kRipple, kPoles); // fixed, valid parameters
    (void)m_angleFilter.Design(kCutoff, FilterKind::LowPass, kRipple, kPoles);
    m_previousValid = false;
    m_haveKept = false;
    m_firstHalf.reset();
    return true;
}

void UsbOpticalSensor::OnReadError(platform::usb::UsbError /*error*/, bool& /*stop*/)
{
    CloseHandle();
}

void UsbOpticalSensor::OnData(std::span<const std::uint8_t> bytes)
{
    if (m_minor >= 10 || bytes.size() % optical::kLongRecord != 0) {
        return;
    }
    for (std::size_t at = 0; at < bytes.size(); at += optical::kLongRecord) {
        decodeLong(bytes.subspan(at, optical::kLongRecord));
    }
}

void UsbOpticalSensor::OnPacket(std::span<const std::uint8_t> bytes)
{
    if (m_major > 4) {
        if (bytes.size() % optical::kShortRecord != 0) {
            return;
        }
        for (std::size_t at = 0; at < bytes.size(); at += optical::kShortRecord) {
            decodeShort(bytes.subspan(at, optical::kShortRecord));
        }
        return;
    }
    if (m_minor <= 9) {
        return;
    }
    if (bytes.size() == optical::kFirstHalf) {
        m_firstHalf.emplace();
        std::ranges::copy(bytes, m_firstHalf->begin());
        return;
    }
    if (bytes.size() == optical::kSecondHalf && m_firstHalf) {
        std::array<std::uint8_t, optical::kLongRecord> record{};
        std::ranges::copy(*m_firstHalf, record.begin());
        std::ranges::copy(bytes, record.begin() + optical::kFirstHalf);
        decodeLong(record);
    }
    m_firstHalf.reset();
}

void UsbOpticalSensor::decodeShort(std::span<const std::uint8_t> record)
{
    Quadrants quadrants;
    for (std::size_t i = 0; i < quadrants.q.size(); ++i) {
        quadrants.q[i] = bytes::leFloat(record, 14 + 4 * i);
    }
    const std::uint32_t first = bytes::le32(record, 4);
    const std::uint32_t second = bytes::le32(record, 8);
    const std::uint16_t value = bytes::le16(record, 12);
    ShotTiming shot;
    shot.flag = record[optical::kShortRecord - 1];
    if (value > m_lastShotReference.load()) {
        shot.valid = true;
        shot.value = value;
        const auto ticks = static_cast<std::int64_t>(second) - static_cast<std::int64_t>(first);
        if (second >= first) {
            shot.shotTime = static_cast<double>(ticks) / kCounterTicks;
        } else {
            // The shot fell into the previous record.
            shot.intoPrevious = true;
            shot.shotTime = std::min(static_cast<double>(ticks) + kCounterTicks, kCounterTicks) / kCounterTicks;
        }
    }
    decode(quadrants, shot);
}

void UsbOpticalSensor::decodeLong(std::span<const std::uint8_t> record)
{
    Quadrants quadrants;
    for (std::size_t i = 0; i < quadrants.q.size(); ++i) {
        double pair = 0.0;
        for (std::size_t c = 2 * i; c < 2 * i + 2; ++c) {
            const auto raw = static_cast<std::int32_t>(bytes::le32(record, 4 * c));
            pair += static_cast<double>(raw) / kChannelUnit;
        }
        quadrants.q[i] = pair;
    }
    ShotTiming shot;
    for (std::size_t bit = 0; bit < kShotBitsLength * 8; ++bit) {
        if ((record[kShotBitsOffset + bit / 8] >> (bit % 8) & 1) != 0) {
            shot.valid = true;
            shot.flag = 1;
            shot.shotTime = static_cast<double>(bit) / kBitsPerRecord;
            shot.value = bytes::le32(record, kCounterOffset) / kBitsPerRecord;
            break;
        }
    }
    decode(quadrants, shot);
}

void UsbOpticalSensor::decode(const Quadrants& quadrants, const ShotTiming& shot)
{
    int kind = kDefaultSensorKind;
    double calibrationScale = kDefaultCalibrationScale;
    double nominal = kReferenceSpacing;
    {
        LockGuard<RecursiveMutex> lock(requestLock());
        nominal = m_nominalDistance;
        kind = m_sensorKind;
        calibrationScale = m_calibrationScale;
    }

    const Spot spots[2] = {spotOf(&quadrants.q[0]), spotOf(&quadrants.q[4])};
    const bool valid = std::ranges::all_of(quadrants.q, [](double q) { return q >= kMinIntensity; });
    const double midX = (spots[0].dx + spots[1].dx) / 2.0;
    const double midY = (spots[0].dy + spots[1].dy) / 2.0;
    const double spanX = spots[1].dx - spots[0].dx;
    const double spanY = spots[1].dy - spots[0].dy;
    const double distance = std::hypot(spanX, spanY);

    if (valid && distance > nominal / 100.0) {
        m_scale = nominal / distance;
    }
    const double filteredScale = m_scaleFilter.Step(m_scale);

    double measuredAngle = m_angleFilter.lastOutput();
    if (valid) {
        const double reference = kind == 2 ? direction(0.0, -182.0) : direction(200.0, 0.0);
        const double angle = AngleBetween(direction(spanX, spanY), reference);
        if (!m_previousValid) {
            m_angleFilter.restart();
        } else if (angle > kHalfPi && m_angleFilter.lastOutput() < -kHalfPi) {
            m_angleFilter.shiftHistory(2.0 * kPi);
        } else if (angle < -kHalfPi && m_angleFilter.lastOutput() > kHalfPi) {
            m_angleFilter.shiftHistory(-2.0 * kPi);
        }
        measuredAngle = m_angleFilter.Step(angle);
    }
    m_previousValid = valid;

    // The model sets no angle of its own: kinds other than 2 place the spots unturned.
    const double angle = kind == 2 ? measuredAngle : 0.0;
    const double factor = kind == 2 ? filteredScale : (kind == 4 ? 25.0 : 50.0) / calibrationScale;
    const double x = (std::sin(angle) * midY + std::cos(angle) * midX) * factor;
    const double y = (std::cos(angle) * midY - std::sin(angle) * midX) * factor;

    OpticalSample block{};
    const std::span out(block);
    bytes::put(out, optical::kMidX, midX);
    bytes::put(out, optical::kSpotDx, spots[0].dx);
    bytes::put(out, optical::kSpotDx + 8, spots[1].dx);
    bytes::put(out, optical::kMidY, midY);
    bytes::put(out, optical::kSpotDy, spots[0].dy);
    bytes::put(out, optical::kSpotDy + 8, spots[1].dy);
    bytes::put(out, optical::kSumBoth, spots[0].sum + spots[1].sum);
    bytes::put(out, optical::kSpotSum, spots[0].sum);
    bytes::put(out, optical::kSpotSum + 8, spots[1].sum);
    bytes::put(out, optical::kX, x);
    bytes::put(out, optical::kY, y);
    for (std::size_t i = 0; i < quadrants.q.size(); ++i) {
        bytes::put(out, optical::kQuadrants + 8 * i, quadrants.q[i]);
    }
    bytes::put(out, optical::kShotValue, 0.0);
    bytes::put(out, optical::kShotTime, std::numeric_limits<std::uint32_t>::max()); // all bits set: no shot
    if (shot.valid && !shot.intoPrevious) {
        putShot(block, shot.value, static_cast<float>(shot.shotTime));
    } else if (shot.valid && m_haveKept) {
        putShot(m_kept, shot.value, static_cast<float>(shot.shotTime));
    }
    bytes::put(out, optical::kAngleUsed, angle);
    bytes::put(out, optical::kAngleMeasured, measuredAngle);
    bytes::put(out, optical::kFactor, factor);
    block[optical::kValid] = valid ? 1 : 0;
    block[optical::kShotFlag] = shot.flag;

    if (m_haveKept) {
        eventSignal.raise(m_kept);
    }
    m_kept = block;
    m_haveKept = true;
}

} // namespace talvolink
