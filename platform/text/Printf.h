#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// printf-style formatting in the C locale, whatever locale the process runs in (a Qt program takes LC_NUMERIC
// from the environment), so a decimal point is always ".". Any thread.
namespace platform::text {

/// For formats written in the program.
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

/// The widest field and the longest precision a format from outside may ask for, in digits.
inline constexpr std::size_t kMaxFieldDigits = 2;

/// The conversions of a format from outside in order, each as its kind: 'i' an integer ("%d", "%3i"), 'f' a real
/// number ("%-3.1f", "%g", "%.2e"), 's' a text; "%%" is none. Nothing for any other conversion ("%n", "*", "%" at
/// the end) and for a width or precision of more than kMaxFieldDigits digits.
std::optional<std::string> conversionShape(std::string_view format);

/// For formats that come from outside, such as a translated text: `format` must hold exactly one conversion of a
/// real number within conversionShape's limits, and may hold "%%". Nothing when it does not.
std::optional<std::string> formatRealWith(std::string_view format, double value);
/// The same for exactly one integer conversion ("%d", "%3i").
std::optional<std::string> formatIntegerWith(std::string_view format, int value);
/// The same for exactly one "%s" (with flags, width and precision), which receives `text`.
std::optional<std::string> formatTextWith(std::string_view format, std::string_view text);

} // namespace platform::text
