#pragma once

#include <array>
#include <optional>
#include <string>

namespace talvodesk {

class CTalvoAppModule;

/// Which drawing and which rules a device gets, by its model version.
enum class CalibrationVariant {
    Serial,      // below 500
    UsbOptical,  // 500..599
    ImageSensor, // 600 and above
};

CalibrationVariant CalibrationVariantOf(long modelVersion);

inline constexpr int kPiezoMinimum = 5;
inline constexpr int kPiezoMaximum = 1023;
inline constexpr int kBrightnessMaximum = 7;
/// The signal bar's range is 0..kSignalBarMaximum.
inline constexpr int kSignalBarMaximum = 511;
/// A signal level above this refreshes the frame's last-signal time.
inline constexpr long kStrongSignal = 100;

/// "Piezo sensitivity: %3.1f%%" of position x 100 / 1023, in the module's language.
std::string PiezoSensitivityText(int position, const CTalvoAppModule& module);
/// "Leds brightness: %d".
std::string LedsBrightnessText(int brightness, const CTalvoAppModule& module);
/// "Lamps brightness: %d".
std::string LampsBrightnessText(int brightness, const CTalvoAppModule& module);

/// The level the signal bar shows: USB and image sensors report up to 4000, scaled by 425 / 4000 in integers.
long ScaledSignalLevel(long modelVersion, long level);

/// The nine values of the device's `Data`; a value that is not a finite number is absent.
using DeviceData = std::array<std::optional<float>, 9>;
DeviceData DeviceDataFrom(const std::array<float, 9>& raw);

/// What the USB optical sensor's `Data` says about the aim: the distance to the target (2nd x 7th value, metres),
/// the working circle's diameter (max(0, distance x 0.06 x 1000 - 160)) and the aim point (3rd, 4th value).
struct OpticalReading {
    float distance = 0;
    float workingDiameter = 0;
    float x = 0;
    float y = 0;
    /// The point lies within half the diameter of the centre.
    bool inside = false;
};
/// Nothing when a value it needs is absent.
std::optional<OpticalReading> OpticalReadingFrom(const DeviceData& data);

/// The direction of a point from the centre in whole degrees 0..359, clockwise from the right with y downwards
/// as on the target plane.
int AimDirection(float x, float y);

/// The USB sensor's status line: "Battery: %d%%" with the 8th value, " (%3.2fV)" with the 9th, and
/// "Distance: %3.2f m" with the averaged distance when there is one, in the module's language; parts whose value is
/// absent are left out.
std::string OpticalStatusText(const DeviceData& data, std::optional<float> averageDistance,
                              const CTalvoAppModule& module);

} // namespace talvodesk
