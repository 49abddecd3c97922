#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace talvodesk {

/// The six analysis parameters the shots-parameters dialog edits for the current practice.
struct ShotsParameters {
    /// Check-box state 0..2: the grouping coincides with the target's centre.
    std::int32_t coincide = 0;
    /// Millimetres.
    float bulletDispersion = 0;
    /// Seconds; negative is before the shot.
    float shotMoment = 0;
    std::int32_t fCoefficient = 0;
    /// Seconds.
    float controlInterval = 0;
    /// Seconds.
    std::int32_t controlInterval2 = 0;

    friend bool operator==(const ShotsParameters&, const ShotsParameters&) = default;
};

// The dialog's controls, by identifier.
inline constexpr int kIdCoincide = 1065;
inline constexpr int kIdFCoefficient = 1066;
inline constexpr int kIdControlInterval = 1067;
inline constexpr int kIdBulletDispersion = 1073;
inline constexpr int kIdShotMoment = 1074;
inline constexpr int kIdControlInterval2 = 1103;

/// A spin, the edit it writes, its range and how a position becomes a value (position / divisor).
struct ShotsSpin {
    int spin;
    int edit;
    int minimum;
    int maximum;
    int divisor;
};
inline constexpr std::array kShotsSpins = {
    ShotsSpin{1069, kIdBulletDispersion, 0, 500, 10}, ShotsSpin{1070, kIdShotMoment, -500, 50, 100},
    ShotsSpin{1071, kIdFCoefficient, 0, 500, 1},      ShotsSpin{1072, kIdControlInterval, 1, 100, 10},
    ShotsSpin{1104, kIdControlInterval2, 1, 100, 1},
};

/// The edits' texts and the check-box state, as the dialog holds them.
struct ShotsParametersTexts {
    std::int32_t coincide = 0;
    std::string fCoefficient;
    std::string bulletDispersion;
    std::string shotMoment;
    std::string controlInterval;
    std::string controlInterval2;
};

/// "%.*g" with precision 6, always with a "." whatever the user's locale.
std::string FormatDialogReal(double value);
/// Blanks and tabs around a decimal number are allowed; nothing for any other text (so never inf or nan).
std::optional<double> ParseDialogReal(std::string_view text);
/// A whole number that fits a signed 32 bits, with a "-" only when signed; blanks around it are allowed.
std::optional<std::int32_t> ParseDialogInteger(std::string_view text, bool isSigned);

/// What the dialog shows for the values; a check-box state outside 0..2 shows as 0.
ShotsParametersTexts ShotsParametersToTexts(const ShotsParameters& values);
/// The values when every field passes, checked in the order F coefficient 0..500, bullet dispersion 0.0..50.0,
/// shot moment -5.0..0.5, control interval 0.1..5.0 and control interval 2 1..5; else the identifier of the
/// first control whose text is no number or out of range.
std::variant<ShotsParameters, int> ValidateShotsParameters(const ShotsParametersTexts& texts);

/// The position a spin takes from its edit's text (value x divisor, truncated toward zero, kept in the spin's
/// range); nothing when the text is no number.
std::optional<int> SpinPositionFromText(const ShotsSpin& spin, std::string_view text);
/// The text a spin writes into its edit for a position.
std::string TextFromSpinPosition(const ShotsSpin& spin, int position);

} // namespace talvodesk
