#include "talvodesk/core/options/ShotsParameters.h"

#include "platform/text/Printf.h"

#include <algorithm>
#include <charconv>
#include <limits>

namespace talvodesk {

namespace {

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) {
        return {};
    }
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// A float within inclusive limits, compared in single precision as the dialog keeps it.
std::optional<float> realWithin(std::string_view text, float minimum, float maximum)
{
    const auto value = ParseDialogReal(text);
    if (!value) {
        return std::nullopt;
    }
    const auto single = static_cast<float>(*value);
    return single >= minimum && single <= maximum ? std::optional(single) : std::nullopt;
}

std::optional<std::int32_t> integerWithin(std::string_view text, std::int32_t minimum, std::int32_t maximum)
{
    const auto value = ParseDialogInteger(text, /*isSigned=*/true);
    return value && *value >= minimum && *value <= maximum ? value : std::nullopt;
}

} // namespace

std::string FormatDialogReal(double value)
{
    return platform::text::formatC("%.*g", 6, value);
}

std::optional<double> ParseDialogReal(std::string_view text)
{
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        text.remove_prefix(1);
    }
    const bool startsLikeNumber =
        !text.empty() && (isDigit(text.front()) || (text.size() > 1 && text[0] == '.' && isDigit(text[1])));
    double value = 0;
    if (!startsLikeNumber) {
        return std::nullopt;
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return negative ? -value : value;
}

std::optional<std::int32_t> ParseDialogInteger(std::string_view text, bool isSigned)
{
    text = trimmed(text);
    if (!isSigned && !text.empty() && text.front() == '-') {
        return std::nullopt;
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value < std::numeric_limits<std::int32_t>::min() || value > std::numeric_limits<std::int32_t>::max()) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(value);
}

ShotsParametersTexts ShotsParametersToTexts(const ShotsParameters& values)
{
    return {values.coincide >= 0 && values.coincide <= 2 ? values.coincide : 0,
            std::to_string(values.fCoefficient),
            FormatDialogReal(values.bulletDispersion),
            FormatDialogReal(values.shotMoment),
            FormatDialogReal(values.controlInterval),
            std::to_string(values.controlInterval2)};
}

std::variant<ShotsParameters, int> ValidateShotsParameters(const ShotsParametersTexts& texts)
{
    ShotsParameters values;
    values.coincide = texts.coincide;
    const auto fCoefficient = integerWithin(texts.fCoefficient, 0, 500);
    if (!fCoefficient) {
        return kIdFCoefficient;
    }
    values.fCoefficient = *fCoefficient;
    const auto dispersion = realWithin(texts.bulletDispersion, 0.0F, 50.0F);
    if (!dispersion) {
        return kIdBulletDispersion;
    }
    values.bulletDispersion = *dispersion;
    const auto moment = realWithin(texts.shotMoment, -5.0F, 0.5F);
    if (!moment) {
        return kIdShotMoment;
    }
    values.shotMoment = *moment;
    const auto interval = realWithin(texts.controlInterval, 0.1F, 5.0F);
    if (!interval) {
        return kIdControlInterval;
    }
    values.controlInterval = *interval;
    const auto interval2 = integerWithin(texts.controlInterval2, 1, 5);
    if (!interval2) {
        return kIdControlInterval2;
    }
    values.controlInterval2 = *interval2;
    return values;
}

std::optional<int> SpinPositionFromText(const ShotsSpin& spin, std::string_view text)
{
    if (spin.divisor == 1) {
        const auto value = ParseDialogInteger(text, /*isSigned=*/false);
        return value ? std::optional(std::clamp(*value, spin.minimum, spin.maximum)) : std::nullopt;
    }
    const auto value = ParseDialogReal(text);
    if (!value) {
        return std::nullopt;
    }
    // In single precision, as the dialog keeps the value: 0.7 gives 7, not 6.
    const float scaled = static_cast<float>(*value) * static_cast<float>(spin.divisor);
    const float kept = std::clamp(scaled, static_cast<float>(spin.minimum), static_cast<float>(spin.maximum));
    return static_cast<int>(kept);
}

std::string TextFromSpinPosition(const ShotsSpin& spin, int position)
{
    if (spin.divisor == 1) {
        return std::to_string(static_cast<std::uint16_t>(position));
    }
    return FormatDialogReal(static_cast<double>(position) / spin.divisor);
}

} // namespace talvodesk
