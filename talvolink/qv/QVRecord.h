#pragma once

#include "talvolink/DeviceRecord.h"
#include "talvolink/qv/QVFrameAssembler.h"

#include <cstdint>

namespace talvolink {

/// Byte offsets of the image sensor's fields in a device record (little-endian, unaligned).
namespace qvrecord {
inline constexpr std::size_t kTime = 0;         ///< u64, milliseconds.
inline constexpr std::size_t kShotLevel = 19;   ///< u16, the frame's level / 3 for a shot frame, else 0.
inline constexpr std::size_t kValid = 25;       ///< u8.
inline constexpr std::size_t kAngle = 37;       ///< double, radians in -pi..pi.
inline constexpr std::size_t kX = 53;           ///< double, millimetres on the target.
inline constexpr std::size_t kY = 61;           ///< double.
inline constexpr std::size_t kPhase = 77;       ///< double, microphone phase.
inline constexpr std::size_t kKind = 387;       ///< u8, 2 for a frame with target data.
inline constexpr std::size_t kHeader = 388;     ///< The frame's header bytes 0..51.
inline constexpr std::size_t kPixelX = 443;     ///< double, where the sensor saw the target (pixels).
inline constexpr std::size_t kPixelY = 451;     ///< double.
inline constexpr std::size_t kReferenceX = 459; ///< double, the reference point (pixels).
inline constexpr std::size_t kReferenceY = 467; ///< double.
} // namespace qvrecord

/// What the record of a frame depends on besides the frame.
struct QVRecordContext {
    double referenceX = 0.0; ///< Sensor pixels.
    double referenceY = 0.0;
    double millimetresPerPixel = 0.0;
    bool filterForeignShots = true;
};

/// The roll angle of the sensor from its two raw 12-bit axes, in -pi..pi.
double QVAngle(std::uint16_t rawX, std::uint16_t rawY);

/// The device record of a delivered frame. A record whose position in millimetres is not finite is not valid.
DeviceRecord BuildQVRecord(const QVFrameRecord& frame, std::uint64_t time, const QVRecordContext& context);

} // namespace talvolink
