#include "talvodesk/core/calibration/CalibrationRules.h"

#include "talvodesk/core/options/AppModule.h"

#include "platform/com/Bstr.h"
#include "platform/text/Printf.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace talvodesk {

namespace {

constexpr long kUsbModel = 500;
constexpr long kImageSensorModel = 600;
constexpr long kScaledTop = 425;
constexpr long kReportedTop = 4000;
constexpr std::uint32_t kPiezoText = 36029;
constexpr std::uint32_t kLedsText = 36030;
constexpr std::uint32_t kLampsText = 36031;
constexpr std::uint32_t kBatteryText = 36032;
constexpr std::uint32_t kDistanceText = 36033;

// A translation of another shape never reaches here: the language table drops it for the English text.
std::string formatted(const CTalvoAppModule& module, std::uint32_t id, int value)
{
    return platform::text::formatIntegerWith(platform::com::utf16ToUtf8(module.LoadString(id)), value).value_or("");
}

std::string formatted(const CTalvoAppModule& module, std::uint32_t id, double value)
{
    return platform::text::formatRealWith(platform::com::utf16ToUtf8(module.LoadString(id)), value).value_or("");
}

} // namespace

CalibrationVariant CalibrationVariantOf(long modelVersion)
{
    if (modelVersion >= kImageSensorModel) {
        return CalibrationVariant::ImageSensor;
    }
    return modelVersion >= kUsbModel ? CalibrationVariant::UsbOptical : CalibrationVariant::Serial;
}

std::string PiezoSensitivityText(int position, const CTalvoAppModule& module)
{
    return formatted(module, kPiezoText, position * 100.0 / kPiezoMaximum);
}

std::string LedsBrightnessText(int brightness, const CTalvoAppModule& module)
{
    return formatted(module, kLedsText, brightness);
}

std::string LampsBrightnessText(int brightness, const CTalvoAppModule& module)
{
    return formatted(module, kLampsText, brightness);
}

long ScaledSignalLevel(long modelVersion, long level)
{
    return modelVersion >= kUsbModel ? level * kScaledTop / kReportedTop : level;
}

DeviceData DeviceDataFrom(const std::array<float, 9>& raw)
{
    DeviceData data;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        if (std::isfinite(raw[i])) {
            data[i] = raw[i];
        }
    }
    return data;
}

std::optional<OpticalReading> OpticalReadingFrom(const DeviceData& data)
{
    if (!data[1] || !data[6] || !data[2] || !data[3]) {
        return std::nullopt;
    }
    OpticalReading reading;
    reading.distance = *data[1] * *data[6];
    reading.workingDiameter = static_cast<float>(std::max(0.0, reading.distance * 0.06 * 1000 - 160));
    reading.x = *data[2];
    reading.y = *data[3];
    reading.inside = std::hypot(reading.x, reading.y) <= reading.workingDiameter / 2;
    return reading;
}

int AimDirection(float x, float y)
{
    const double degrees = std::atan2(static_cast<double>(y), static_cast<double>(x)) * 180.0 / std::numbers::pi;
    const long whole = std::lround(degrees);
    return static_cast<int>((whole % 360 + 360) % 360);
}

std::string OpticalStatusText(const DeviceData& data, std::optional<float> averageDistance,
                              const CTalvoAppModule& module)
{
    std::string text;
    if (data[7]) {
        // Clamped so that a wild reading cannot overflow the conversion.
        text += formatted(module, kBatteryText, static_cast<int>(std::clamp(*data[7], -1e6F, 1e6F)));
    }
    if (data[8]) {
        text += platform::text::formatC(" (%3.2fV)", static_cast<double>(*data[8]));
    }
    if (averageDistance) {
        text += text.empty() ? "" : " ";
        text += formatted(module, kDistanceText, static_cast<double>(*averageDistance));
    }
    return text;
}

} // namespace talvodesk
