#include "platform/text/Number.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>

namespace platform::text {
namespace {

std::string_view trimSpaces(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    return text;
}

} // namespace

std::string formatReal(double value, int significantDigits)
{
    if (std::isnan(value)) {
        return "NaN";
    }
    if (std::isinf(value)) {
        return value < 0 ? "-Infinity" : "Infinity";
    }
    char buffer[64];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, significantDigits);
    std::string result(buffer, error == std::errc() ? end : buffer);
    for (char& c : result) {
        if (c == 'e') {
            c = 'E';
        }
    }
    return result;
}

std::string formatFixed(double value, int decimals)
{
    if (!std::isfinite(value)) {
        return std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan") : (value < 0 ? "-inf" : "inf");
    }
    // Room for the 309 digits of the largest double before the point.
    char buffer[400];
    const auto [end, error] =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, std::clamp(decimals, 0, 60));
    return std::string(buffer, error == std::errc() ? end : buffer);
}

std::string formatInteger(std::int64_t value)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, error == std::errc() ? end : buffer);
}

std::string formatUnsigned(std::uint64_t value)
{
    char buffer[24];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, error == std::errc() ? end : buffer);
}

std::optional<double> parseReal(std::string_view text)
{
    text = trimSpaces(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    if (text.empty()) {
        return std::nullopt;
    }
    double value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<std::int64_t> parseInteger(std::string_view text)
{
    text = trimSpaces(text);
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    std::int64_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

} // namespace platform::text
