#pragma once

#include <string>

namespace platform::time {
class Clock;
}
namespace platform::usb {
class UsbTransport;
}

namespace talvolink {

/// What the device listing learns of an image sensor.
struct QVProbeResult {
    bool opened = false;
    std::string errorText; ///< Why it did not open.
    int modelCode = 0;
};

/// Opens the image sensor at `path` without its reader (no thread, no frames), runs the start exchange ending with
/// the second device state, and closes it again.
QVProbeResult ProbeImageSensor(platform::usb::UsbTransport& transport, platform::time::Clock& clock,
                               const std::string& path);

} // namespace talvolink
