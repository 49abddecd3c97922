#include "talvolink/qv/QVRecord.h"

#include "talvolink/usb/Bytes.h"

#include <cmath>

namespace talvolink {

namespace {

// The constants as the sensor's angle is defined with them.
constexpr double kQuarterTurn = 1.57079632675;
constexpr double kThreeQuarterTurns = 4.71238898025;
constexpr double kHalfTurn = 3.1415926535;
constexpr double kTurn = 6.283185307;
constexpr std::int32_t kRawCentre = 2048;
// A shot frame of another lane's shot is quieter than this.
constexpr std::uint32_t kOwnShotCounter = 750;
constexpr std::uint8_t kShotEvent = 4;

// Offsets in the frame header, which starts at byte 1 of a frame record.
constexpr std::size_t kValidFlag = 13;
constexpr std::size_t kPixelX = 16;
constexpr std::size_t kPixelY = 20;
constexpr std::size_t kLevel = 32;
constexpr std::size_t kCounter = 38;
constexpr std::size_t kAxisX = 42;
constexpr std::size_t kAxisY = 44;
constexpr std::size_t kAxisZ = 46;
constexpr std::size_t kTail = 52;
constexpr std::size_t kEvent = 53;

} // namespace

double QVAngle(std::uint16_t rawX, std::uint16_t rawY)
{
    const double x = static_cast<std::int32_t>(rawX) - kRawCentre;
    const double y = static_cast<std::int32_t>(rawY) - kRawCentre;
    double direction = 0.0;
    if (x == 0.0) {
        direction = y == 0.0 ? 0.0 : (y > 0.0 ? kQuarterTurn : kThreeQuarterTurns);
    } else {
        const double a = std::atan(y / x);
        if (x > 0.0) {
            direction = y >= 0.0 ? a : a + kTurn;
        } else {
            direction = a + kHalfTurn;
        }
    }
    double angle = direction + kQuarterTurn;
    while (angle > kHalfTurn) {
        angle -= kTurn;
    }
    while (angle < -kHalfTurn) {
        angle += kTurn;
    }
    return angle;
}

DeviceRecord BuildQVRecord(const QVFrameRecord& frame, std::uint64_t time, const QVRecordContext& context)
{
    const std::span<const std::uint8_t> header = std::span(frame).subspan(1);
    DeviceRecord record;
    std::span<std::uint8_t> out(reinterpret_cast<std::uint8_t*>(&record), sizeof record);

    bytes::put(out, qvrecord::kTime, time);
    const std::uint32_t counter = bytes::le32(header, kCounter);
    if (header[kEvent] == kShotEvent && (!context.filterForeignShots || counter >= kOwnShotCounter)) {
        bytes::put(out, qvrecord::kShotLevel, static_cast<std::uint16_t>(bytes::le16(header, kLevel) / 3));
    }
    const double x = bytes::leFloat(header, kPixelX);
    const double y = bytes::leFloat(header, kPixelY);
    const double angle = QVAngle(bytes::le16(header, kAxisX), bytes::le16(header, kAxisY));
    const double dx = context.referenceX - x;
    const double dy = context.referenceY - y;
    const double millimetresX = context.millimetresPerPixel * dx;
    const double millimetresY = context.millimetresPerPixel * dy;
    const bool valid = (header[kValidFlag] & 1) != 0 && std::isfinite(angle) && std::isfinite(millimetresX) &&
                       std::isfinite(millimetresY);
    out[qvrecord::kValid] = valid ? 1 : 0;
    bytes::put(out, qvrecord::kAngle, angle);
    bytes::put(out, qvrecord::kX, millimetresX);
    bytes::put(out, qvrecord::kY, millimetresY);
    bytes::put(out, qvrecord::kPhase, 0.0);
    out[386] = 1;
    out[qvrecord::kKind] = 2;
    std::copy_n(header.begin(), 52, out.begin() + qvrecord::kHeader);
    std::copy_n(header.begin() + kTail, 3, out.begin() + 440);
    bytes::put(out, qvrecord::kPixelX, x);
    bytes::put(out, qvrecord::kPixelY, y);
    bytes::put(out, qvrecord::kReferenceX, context.referenceX);
    bytes::put(out, qvrecord::kReferenceY, context.referenceY);
    bytes::put(out, 475, dx);
    bytes::put(out, 483, dy);
    bytes::put(out, 491, std::int32_t{-1});
    bytes::put(out, 495, std::int32_t{-1});
    bytes::put(out, 499, static_cast<double>(bytes::le16(header, kAxisX)));
    bytes::put(out, 507, static_cast<double>(bytes::le16(header, kAxisY)));
    bytes::put(out, 515, static_cast<double>(bytes::le16(header, kAxisZ)));
    return record;
}

} // namespace talvolink
