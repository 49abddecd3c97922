#include "UniqueName.h"

#include "platform/text/CodePage.h"
#include "platform/time/OleDate.h"

#include <cstdio>

namespace talvodata {

std::u16string cleanShooterName(std::u16string_view name)
{
    constexpr std::size_t kLookedAt = 50;
    const std::u16string mapped = platform::text::fromAnsi(platform::text::toAnsi(name));
    const std::u16string_view looked = std::u16string_view(mapped).substr(0, kLookedAt);
    std::u16string result;
    auto appendSeparator = [&result](char16_t separator) {
        if (!result.empty() && result.back() != u' ' && result.back() != u'.') {
            result.push_back(separator);
        }
    };
    for (const char16_t c : looked) {
        if (c == u' ') {
            appendSeparator(u' ');
        } else if (std::u16string_view(u"\"*/:<>?\\|").find(c) != std::u16string_view::npos) {
            appendSeparator(u'.');
        } else if (c < 32 || (c == u'.' && result.empty())) {
            continue;
        } else {
            result.push_back(c);
        }
    }
    return result;
}

std::optional<std::string> uniqueNameTime(DATE time)
{
    auto rounded = platform::time::addMilliseconds(time, 500);
    if (!rounded) {
        return std::nullopt;
    }
    auto fields = platform::time::toCalendarTime(*rounded);
    if (!fields) {
        return std::nullopt;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%02d-%02d-%02d %02d-%02d-%02d", fields->day, fields->month, fields->year % 100,
                  fields->hour, fields->minute, fields->second);
    return std::string(text);
}

} // namespace talvodata
