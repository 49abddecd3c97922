#pragma once

#include "platform/registry/Key.h"

#include <cstdint>
#include <optional>
#include <string>

namespace talvolink {

/// Where a shot lay in the sensor's frame and how the sensor was turned: subtracting it centres later points.
struct CalibrationOffset {
    double angle0 = 0.0; ///< Radians.
    double dx0 = 0.0;    ///< Sensor units.
    double dy0 = 0.0;
};

struct Point {
    double x = 0.0;
    double y = 0.0;
};

/// Undoes the roll since the calibration shot, subtracts that shot's offset and turns the point back.
Point CalibrateInSensor(const CalibrationOffset& offset, Point point, double angle);

/// The distance term e that goes with an apparent size a (scale x lens factor).
double DistanceSoftening(double apparentSize);
/// Millimetres on a target at `distance` per sensor unit: distance / (a + e).
double DistanceFactor(double distance, double apparentSize, double softening);
/// The factor of the on-target test: a + e, taken as 10 within 9..10.5.
double OnTargetFactor(double distance, double apparentSize, double lastSoftening);

/// A value in hundredths of a millimetre, truncated towards zero and held to 32 bits; none when it is not finite.
std::optional<std::int32_t> ToHundredths(double millimetres);

/// The target whose emitter currents a calibration holds, each with the currents it accepts.
enum class EmitterDevice : std::uint8_t { TargetController, Dovecote, WirelessTarget };

struct CurrentRange {
    double low;
    double high;
};
CurrentRange AcceptedCurrents(EmitterDevice device);

/// What one sensor and target pair keeps in the settings.
struct CalibrationValues {
    double signal0 = 0.0;
    double signal1 = 0.0;
    CalibrationOffset offset;
    double corrx = 0.0; ///< Hundredths of a millimetre.
    double corry = 0.0;
    double scale = 0.0;
};

/// The start of the settings' value names of a pair: "<sensor serial>.<target serial>.".
std::string CalibrationPrefix(const std::string& sensorSerial, const std::string& targetSerial);

/// Writes "scale" 0 first and, with values, "signal0", "signal1", "angle0", "dx0", "dy0", "corrx", "corry" and
/// "scale" last, stopping at the first failed write: a save broken off leaves a calibration the load refuses.
bool SaveCalibration(const platform::registry::Key& key, const std::string& prefix,
                     const std::optional<CalibrationValues>& values);
/// All values present and accepted (the device's currents, a scale above 0.01), or none.
std::optional<CalibrationValues> LoadCalibration(const platform::registry::Key& key, const std::string& prefix,
                                                 EmitterDevice device);

/// A brightness 0..7 kept as "<target serial>.<name>"; 7 when missing.
DWORD LoadBrightness(const platform::registry::Key& key, const std::string& targetSerial, const char* name);
bool SaveBrightness(const platform::registry::Key& key, const std::string& targetSerial, const char* name, DWORD value);

} // namespace talvolink
