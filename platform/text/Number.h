#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// Numbers that are stored, printed or compared are formatted in the C locale, whatever the process locale.
namespace platform::text {

/// Shortest form with at most `significantDigits` digits, exponent as "E+20" ("%.*G" in the C locale).
std::string formatReal(double value, int significantDigits);
/// "%.*f" in the C locale, at a fraction of printf's cost: a long list formats tens of thousands of numbers.
std::string formatFixed(double value, int decimals);
std::string formatInteger(std::int64_t value);
std::string formatUnsigned(std::uint64_t value);

/// Parses the whole text (surrounding spaces allowed); nullopt when anything else is left over.
std::optional<double> parseReal(std::string_view text);
std::optional<std::int64_t> parseInteger(std::string_view text);

} // namespace platform::text
