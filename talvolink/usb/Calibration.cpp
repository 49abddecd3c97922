#include "talvolink/usb/Calibration.h"

#include "platform/com/Bstr.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>
#include <utility>

namespace talvolink {

namespace {

constexpr double kMinScale = 0.01;
constexpr DWORD kDefaultBrightness = 7;

std::u16string valueName(const std::string& prefix, const char* name)
{
    return platform::com::utf8ToUtf16(prefix + name);
}

// "%f" of the C locale, whatever the user's locale.
std::string formatValue(double value)
{
    std::array<char, 64> text{};
    const auto result = std::to_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed, 6);
    return {text.data(), result.ptr};
}

std::optional<double> readValue(const platform::registry::Key& key, const std::string& prefix, const char* name)
{
    const auto text = key.string(valueName(prefix, name));
    if (!text) {
        return std::nullopt;
    }
    std::string narrow;
    for (const char16_t c : text.value()) {
        if (c > 0x7F) {
            return std::nullopt;
        }
        narrow.push_back(static_cast<char>(c));
    }
    double value = 0.0;
    const char* end = narrow.data() + narrow.size();
    const auto result = std::from_chars(narrow.data(), end, value);
    if (result.ec != std::errc{} || result.ptr != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

} // namespace

Point CalibrateInSensor(const CalibrationOffset& offset, Point point, double angle)
{
    const double theta = -(angle - offset.angle0);
    const double c = std::cos(theta);
    const double s = std::sin(theta);
    const double x1 = point.x * c - point.y * s - offset.dx0;
    const double y1 = point.x * s + point.y * c - offset.dy0;
    return {x1 * c + y1 * s, y1 * c - x1 * s};
}

double DistanceSoftening(double apparentSize)
{
    if (apparentSize < 2.0) {
        return 0.5;
    }
    if (apparentSize > 9.0) {
        return 0.2;
    }
    return (9.0 - apparentSize) / 23.333 + 0.2;
}

double DistanceFactor(double distance, double apparentSize, double softening)
{
    return distance / (apparentSize + softening);
}

double OnTargetFactor(double distance, double apparentSize, double lastSoftening)
{
    double h = apparentSize + lastSoftening;
    if (h >= 9.0 && h <= 10.5) {
        h = 10.0;
    }
    return distance / h;
}

std::optional<std::int32_t> ToHundredths(double millimetres)
{
    const double value = std::trunc(millimetres * 100.0);
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    constexpr double kLow = std::numeric_limits<std::int32_t>::min();
    constexpr double kHigh = std::numeric_limits<std::int32_t>::max();
    return static_cast<std::int32_t>(std::fmin(std::fmax(value, kLow), kHigh));
}

CurrentRange AcceptedCurrents(EmitterDevice device)
{
    switch (device) {
    case EmitterDevice::Dovecote:
        return {2000.0, 49152.0};
    case EmitterDevice::WirelessTarget:
        return {5.0, 192.0};
    case EmitterDevice::TargetController:
        break;
    }
    return {4096.0, 63488.0};
}

std::string CalibrationPrefix(const std::string& sensorSerial, const std::string& targetSerial)
{
    return sensorSerial + "." + targetSerial + ".";
}

bool SaveCalibration(const platform::registry::Key& key, const std::string& prefix,
                     const std::optional<CalibrationValues>& values)
{
    const auto write = [&](const char* name, double value) {
        return static_cast<bool>(
            key.setString(valueName(prefix, name), platform::com::utf8ToUtf16(formatValue(value))));
    };
    if (!write("scale", 0.0)) {
        return false;
    }
    if (!values) {
        return true;
    }
    const std::array<std::pair<const char*, double>, 8> ordered{{
        {"signal0", values->signal0},
        {"signal1", values->signal1},
        {"angle0", values->offset.angle0},
        {"dx0", values->offset.dx0},
        {"dy0", values->offset.dy0},
        {"corrx", values->corrx},
        {"corry", values->corry},
        {"scale", values->scale},
    }};
    for (const auto& [name, value] : ordered) {
        if (!write(name, value)) {
            return false;
        }
    }
    return true;
}

std::optional<CalibrationValues> LoadCalibration(const platform::registry::Key& key, const std::string& prefix,
                                                 EmitterDevice device)
{
    const auto signal0 = readValue(key, prefix, "signal0");
    const auto signal1 = readValue(key, prefix, "signal1");
    const auto angle0 = readValue(key, prefix, "angle0");
    const auto dx0 = readValue(key, prefix, "dx0");
    const auto dy0 = readValue(key, prefix, "dy0");
    const auto corrx = readValue(key, prefix, "corrx");
    const auto corry = readValue(key, prefix, "corry");
    const auto scale = readValue(key, prefix, "scale");
    if (!signal0 || !signal1 || !angle0 || !dx0 || !dy0 || !corrx || !corry || !scale) {
        return std::nullopt;
    }
    const CurrentRange range = AcceptedCurrents(device);
    const auto accepted = [&](double current) { return current >= range.low && current <= range.high; };
    if (!accepted(*signal0) || !accepted(*signal1) || !(*scale > kMinScale)) {
        return std::nullopt;
    }
    return CalibrationValues{*signal0, *signal1, {*angle0, *dx0, *dy0}, *corrx, *corry, *scale};
}

DWORD LoadBrightness(const platform::registry::Key& key, const std::string& targetSerial, const char* name)
{
    const auto value = key.dword(valueName(targetSerial + ".", name));
    return value ? value.value() : kDefaultBrightness;
}

bool SaveBrightness(const platform::registry::Key& key, const std::string& targetSerial, const char* name, DWORD value)
{
    return static_cast<bool>(key.setDword(valueName(targetSerial + ".", name), value));
}

} // namespace talvolink
