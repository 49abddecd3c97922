#include "platform/text/Printf.h"

#include <clocale>
#include <cstdarg>
#include <cstdio>
#include <locale.h>

namespace platform::text {

namespace {

locale_t cLocale()
{
    static const locale_t locale = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return locale;
}

std::string vformatC(const char* format, va_list arguments)
{
    const locale_t previous = ::uselocale(cLocale());
    va_list measure;
    va_copy(measure, arguments);
    const int length = std::vsnprintf(nullptr, 0, format, measure);
    va_end(measure);
    std::string text;
    if (length > 0) {
        text.resize(static_cast<std::size_t>(length));
        std::vsnprintf(text.data(), text.size() + 1, format, arguments);
    }
    ::uselocale(previous);
    return text;
}

/// True when `format` holds exactly one conversion of `kind` besides "%%".
bool hasOneConversion(std::string_view format, char kind)
{
    const auto shape = conversionShape(format);
    return shape && *shape == std::string(1, kind);
}

} // namespace

std::optional<std::string> conversionShape(std::string_view format)
{
    std::string shape;
    // Each at most two digits: wider fields or longer fractions are no text a window shows, and a translation
    // asking for millions would have the formatter allocate them.
    const auto readDigits = [&format](std::size_t& i) {
        const std::size_t start = i;
        while (i < format.size() && format[i] >= '0' && format[i] <= '9') {
            ++i;
        }
        return i - start <= kMaxFieldDigits;
    };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            continue;
        }
        if (++i < format.size() && format[i] == '%') {
            continue;
        }
        while (i < format.size() && std::string_view("-+ #0").find(format[i]) != std::string_view::npos) {
            ++i;
        }
        if (!readDigits(i)) {
            return std::nullopt;
        }
        if (i < format.size() && format[i] == '.' && !readDigits(++i)) {
            return std::nullopt;
        }
        if (i >= format.size()) {
            return std::nullopt;
        }
        if (std::string_view("di").find(format[i]) != std::string_view::npos) {
            shape += 'i';
        } else if (std::string_view("fFeEgG").find(format[i]) != std::string_view::npos) {
            shape += 'f';
        } else if (format[i] == 's') {
            shape += 's';
        } else {
            return std::nullopt;
        }
    }
    return shape;
}

std::string formatC(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string text = vformatC(format, arguments);
    va_end(arguments);
    return text;
}

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-nonliteral"
std::optional<std::string> formatRealWith(std::string_view format, double value)
{
    if (!hasOneConversion(format, 'f')) {
        return std::nullopt;
    }
    return formatC(std::string(format).c_str(), value);
}

std::optional<std::string> formatIntegerWith(std::string_view format, int value)
{
    if (!hasOneConversion(format, 'i')) {
        return std::nullopt;
    }
    return formatC(std::string(format).c_str(), value);
}

std::optional<std::string> formatTextWith(std::string_view format, std::string_view text)
{
    if (!hasOneConversion(format, 's')) {
        return std::nullopt;
    }
    return formatC(std::string(format).c_str(), std::string(text).c_str());
}
#pragma GCC diagnostic pop

} // namespace platform::text
