#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace talvolink {

/// One entry of a tracking pattern: a point in pixels of its scale and whether it belongs to the target.
struct QVPatternEntry {
    std::int8_t x = 0;
    std::int8_t y = 0;
    std::uint8_t flag = 0;

    bool operator==(const QVPatternEntry&) const = default;
};

/// The scales of the tracking patterns, in the order the sensor takes them.
inline constexpr std::array<std::uint8_t, 3> kQVScales{1, 2, 4};

/// The image sensor's settings, as wanted or as last sent. Each field goes out with its own vendor request; the
/// numbered parameters are passed through as the model sets them.
struct TalvoQVSettings {
    bool framesOn = false;
    std::uint32_t mode = 1;
    std::uint32_t parameter84 = 0;
    std::int32_t centreX = 376; ///< Tracking window centre, sensor pixels.
    std::int32_t centreY = 240;
    std::uint8_t windowSize = 80;
    std::uint8_t parameter9D = 0;
    std::uint8_t parameter1 = 200;
    std::uint8_t parameter2 = 255;
    std::uint8_t scale = 1;
    std::uint8_t secondScale = 1;
    std::uint8_t parameter4 = 1;
    std::uint8_t parameter5 = 0;
    std::uint16_t parameter21 = 100; ///< Twice the mains frequency.
    std::uint16_t parameter6 = 240;
    std::uint16_t parameter82 = 30; ///< Exposure.
    std::uint16_t parameter8B = 64; ///< Gain.
    std::uint16_t parameter92 = 1;
    bool switch9E = false;
    bool switch9F = false;
    std::array<bool, 3> patternEnabled{};
    std::array<std::vector<QVPatternEntry>, 3> patterns;
    std::uint16_t triggerMode = 1;
    std::uint16_t triggerLevel = 1024;
    bool switch23 = true;
    bool switch22 = true;
    std::uint16_t parameter18 = 0;

    bool operator==(const TalvoQVSettings&) const = default;
};

/// One vendor request: a read of `length` bytes from the device, or (length 0) a write of `data`.
struct VendorRequest {
    std::uint8_t request = 0;
    std::uint16_t value = 0;
    std::uint16_t index = 0;
    std::uint16_t length = 0;
    bool refused = false; ///< Such a request is never executed.
    std::vector<std::uint8_t> data;
    int result = 0; ///< -1 on failure.
    bool done = false;
};

/// Where a settings sequence sends its requests.
class QVRequestChannel {
public:
    virtual bool ExecuteRequest(VendorRequest& request) = 0;
    /// Frames taken before the change settles are dropped.
    virtual void HoldFrames() = 0;
    /// A frame being assembled is dropped (frames are switched off or on).
    virtual void EndAssembly() = 0;

protected:
    ~QVRequestChannel() = default;
};

/// Brings the sensor from `sent` to `wanted`, in the sensor's order: each setting goes out when `sendAll` is set or
/// it differs, and `sent` follows every request that succeeded. The first failing request ends the sequence and
/// returns false, leaving `sendAll` and `sent` as they are so that the next sequence sends the rest.
bool SendQVSettings(const TalvoQVSettings& wanted, TalvoQVSettings& sent, bool& sendAll, QVRequestChannel& channel);

} // namespace talvolink
